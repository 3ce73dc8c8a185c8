// The number-by-set table as a picture: a plain SVG heat map of its standardized
// residuals on a diverging scale.
#pragma once

#include <string>

#include "check/judgement/fairness.h"

namespace pivra {

std::string HeatMapSvg(const FairnessCounts& counts, const FairnessReport& report);

}  // namespace pivra

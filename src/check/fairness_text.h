// The judgement of many draw files as the text report on standard output.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "check/fairness.h"

namespace pivra {

// Prints the report, listing the `skipped` files' lines; true when it finds
// nothing against the draws.
bool PrintFairness(const FairnessReport& report, std::size_t files,
                   const std::vector<std::string>& skipped);

}  // namespace pivra

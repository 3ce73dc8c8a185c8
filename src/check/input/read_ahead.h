// Reading the next files ahead of their check, where the system can: another
// process opens and reads them, on another core, while this one checks.
#pragma once

#include <functional>

#include "check/input/each_file.h"
#include "check/input/names.h"

namespace pivra {

// Does what ReadEachFile does, to the byte; false, having read nothing, where
// the system cannot read ahead, and the files are to be read in line.
bool ReadEachFileAhead(Names& names, const std::function<void(const FileRead&)>& take);

}  // namespace pivra

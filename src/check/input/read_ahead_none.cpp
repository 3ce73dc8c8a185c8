#include <functional>

#include "check/input/each_file.h"
#include "check/input/names.h"
#include "check/input/read_ahead.h"

namespace pivra {

// Windows reads its files in line.
bool ReadEachFileAhead(Names& /*names*/, const std::function<void(const FileRead&)>& /*take*/) {
  return false;
}

}  // namespace pivra

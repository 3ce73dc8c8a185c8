#include <functional>

#include "check/each_file.h"
#include "check/names.h"
#include "check/read_ahead.h"

namespace pivra {

// Windows reads its files in line.
bool ReadEachFileAhead(Names& /*names*/, const std::function<void(const FileRead&)>& /*take*/) {
  return false;
}

}  // namespace pivra

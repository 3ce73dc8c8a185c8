// Whether some bytes have a draw file's form, and the sets they hold.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "draw/layout.h"
#include "draw/table.h"

namespace pivra {

struct FileFault {
  unsigned line = 0;  // 1-based; 0 when the file is valid
  std::string what;
};

// The first fault in `bytes`, line by line from the top; on none the sets go to `sets`.
FileFault CheckDrawFile(std::string_view bytes, DrawTable& sets);

// Whether `bytes` is a valid draw file, its sets then in `sets`, by the fast
// path alone, which CheckDrawFile tries first: true for every valid file and
// no other.
bool DrawFileValid(std::string_view bytes, DrawTable& sets);

// "line N: what", or "" for a valid file.
std::string DescribeFault(const FileFault& fault);

}  // namespace pivra

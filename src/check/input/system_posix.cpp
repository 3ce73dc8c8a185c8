#include <linux/limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

#include "check/input/system.h"
#include "check/report/escape.h"

namespace pivra {

std::size_t LongestName() { return PATH_MAX - 1; }

bool StandardErrorIsTerminal() { return isatty(fileno(stderr)) != 0; }

bool IsFolder(const char* name) {
  struct stat info = {};
  return stat(name, &info) == 0 && S_ISDIR(info.st_mode);
}

void ReadStandardInputAsBytes() {}

std::string EscapedName(std::string_view name) { return BackslashEscaped(name); }

}  // namespace pivra

#include "check/system.h"

#include <sys/stat.h>

#include <cstddef>
#include <cstdio>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <linux/limits.h>
#include <unistd.h>
#endif

namespace pivra {

#ifdef _WIN32

std::size_t LongestName() { return 32767; }

// _isatty holds for every character device, NUL too: only a console shows the line.
bool StandardErrorIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

bool IsFolder(const char* name) {
  struct _stat info = {};
  return _stat(name, &info) == 0 && (info.st_mode & _S_IFMT) == _S_IFDIR;
}

void ReadStandardInputAsBytes() { (void)_setmode(_fileno(stdin), _O_BINARY); }

#else

std::size_t LongestName() { return PATH_MAX - 1; }

bool StandardErrorIsTerminal() { return isatty(fileno(stderr)) != 0; }

bool IsFolder(const char* name) {
  struct stat info = {};
  return stat(name, &info) == 0 && S_ISDIR(info.st_mode);
}

void ReadStandardInputAsBytes() {}

#endif

}  // namespace pivra

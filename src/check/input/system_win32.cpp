#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

#include "check/input/system.h"
#include "check/report/escape.h"

// cmd.exe hands wildcards on as they are: the C runtime expands them, as a shell
// would, so that "pivra-check --fairness archive\*.TXT" works there too.
extern "C" {
int _dowildcard = -1;
}

namespace pivra {

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

// Names come in the ANSI code page, whose bytes from 0x80 up are letters that
// the console shows; only a console set to UTF-8 reads them as UTF-8, where C1
// and the bidirectional controls can steer it.
std::string EscapedName(std::string_view name) {
  return QuestionMarked(name, GetConsoleOutputCP() == CP_UTF8);
}

}  // namespace pivra

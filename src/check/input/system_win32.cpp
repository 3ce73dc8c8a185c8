#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
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

// The C runtime's descriptors, whose errno codes are those fopen gave.
int OpenToRead(const char* name) { return _open(name, _O_RDONLY | _O_BINARY); }

// Windows reads its files in line.
int OpenToReadAhead(const char* /*name*/, int64_t& /*size*/) { return -1; }

long ReadSome(int file, char* into, std::size_t size) {
  constexpr std::size_t Most = 1U << 30U;  // _read takes an unsigned int
  return _read(file, into, static_cast<unsigned>(size < Most ? size : Most));
}

void CloseFile(int file) { (void)_close(file); }

bool Tell(int file, int64_t& at) {
  // A pipe's position reads as 0 without failing: only a disk file is sought.
  if (GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(file))) != FILE_TYPE_DISK) return false;
  at = _lseeki64(file, 0, SEEK_CUR);
  return at >= 0;
}

bool SeekTo(int file, int64_t at) { return _lseeki64(file, at, SEEK_SET) == at; }

// Only what a worker reads ahead waits on this: Windows has none.
bool ReadMayWait(int /*file*/) { return false; }

unsigned UsableCores() { return 1; }

std::FILE* OpenTemporaryFile(int& error) {
  char folder[MAX_PATH + 1];
  char name[MAX_PATH + 1];
  const DWORD length = GetTempPathA(sizeof folder, folder);
  if (length == 0 || length > MAX_PATH || GetTempFileNameA(folder, "pvc", 0, name) == 0) {
    error = EACCES;
    return nullptr;
  }
  // _O_TEMPORARY: deleted when closed, or when the process ends.
  const int file = _open(name, _O_RDWR | _O_BINARY | _O_TEMPORARY, _S_IREAD | _S_IWRITE);
  std::FILE* stream = file >= 0 ? _fdopen(file, "w+b") : nullptr;
  if (stream == nullptr) {
    error = errno != 0 ? errno : EIO;
    if (file >= 0) (void)_close(file);
    (void)DeleteFileA(name);
    return nullptr;
  }
  (void)std::setvbuf(stream, nullptr, _IONBF, 0);
  return stream;
}

bool SeekFile(std::FILE* file, uint64_t at) {
  return _fseeki64(file, static_cast<__int64>(at), SEEK_SET) == 0;
}

// _isatty holds for every character device, NUL too: only a console shows the line.
bool StandardErrorIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

bool IsRegularFile(const char* name) {
  struct _stat info = {};
  return _stat(name, &info) == 0 && (info.st_mode & _S_IFMT) == _S_IFREG;
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

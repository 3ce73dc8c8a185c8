#include "check/input/files.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "check/input/system.h"
#include "check/report/progress.h"

namespace pivra {

int LastError() { return errno != 0 ? errno : EIO; }

namespace {

// The system's message, but in words both platforms share for a folder and for
// a wildcard that matched nothing: Windows says "Permission denied" and
// "Invalid argument" there, where Linux says "Is a directory" and "No such file".
const char* FileErrorText(const char* name, int code) {
  if (code == EISDIR || (code == EACCES && IsFolder(name))) return "Is a directory";
  if ((code == ENOENT || code == EINVAL) && std::strpbrk(name, "*?") != nullptr) {
    return "no file matches the pattern";
  }
  return std::strerror(code);
}

}  // namespace

int ReadDrawFile(const char* name, FileBytes& file, bool ahead) {
  file.size = 0;
  errno = 0;
  int64_t size = -1;
  const int handle = ahead ? OpenToReadAhead(name, size) : OpenToRead(name);
  if (handle < 0) return ahead ? ReadAtItsTurn : LastError();
  int code = 0;
  while (file.size < sizeof file.bytes) {
    const long got = ReadSome(handle, file.bytes + file.size, sizeof file.bytes - file.size);
    if (got <= 0) {
      if (got < 0) code = ahead ? ReadAtItsTurn : LastError();
      break;
    }
    file.size += static_cast<std::size_t>(got);
    // Read to the size it has: no second read to see the end.
    if (static_cast<int64_t>(file.size) == size) break;
  }
  CloseFile(handle);
  return code;
}

int WriteWholeFile(const char* name, const std::string& text) {
  errno = 0;
  std::FILE* file = std::fopen(name, "wb");
  if (file == nullptr) return LastError();
  int code = std::fwrite(text.data(), 1, text.size(), file) == text.size() ? 0 : LastError();
  if (std::fclose(file) != 0 && code == 0) code = LastError();
  return code;
}

void ReportFileError(const char* name, int code) {
  HideProgress();
  (void)std::fprintf(stderr, "pivra-check: %s: %s\n", EscapedName(name).c_str(),
                     FileErrorText(name, code));
}

}  // namespace pivra

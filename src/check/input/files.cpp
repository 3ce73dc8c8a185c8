#include "check/input/files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "check/input/system.h"
#include "check/report/progress.h"
#include "check/work/draw_check.h"
#include "draw/layout.h"
#include "draw/table.h"

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

int ReadDrawFile(const char* name, std::string& bytes) {
  bytes.resize(DrawFileSize + 1);
  errno = 0;
  std::FILE* file = std::fopen(name, "rb");
  if (file == nullptr) {
    bytes.clear();
    return LastError();
  }
  (void)std::setvbuf(file, nullptr, _IONBF, 0);  // read straight into `bytes`
  const std::size_t size = std::fread(bytes.data(), 1, bytes.size(), file);
  const int code = std::ferror(file) != 0 ? LastError() : 0;
  (void)std::fclose(file);  // read only: nothing to lose
  bytes.resize(size);
  return code;
}

FileOutcome ReadAndCheck(const char* name, std::string& bytes, DrawTable& sets) {
  const int code = ReadDrawFile(name, bytes);
  if (code != 0) return {code, {}};
  return {0, CheckDrawFile(bytes, sets)};
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

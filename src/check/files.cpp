#include "check/files.h"

#ifdef _WIN32
#include <algorithm>  // only the Windows escaping replaces characters
#endif
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "check/draw_check.h"
#include "check/progress.h"
#include "check/system.h"
#include "run/draw_layout.h"
#include "run/draw_table.h"

namespace pivra {

int LastError() { return errno != 0 ? errno : EIO; }

namespace {

// Reads as much of `name` as judging it takes: one byte more than a draw file
// shows a longer one. 0 on success, or the system's error code.
int ReadDrawFile(const char* name, std::string& bytes) {
  bytes.resize(DrawFileSize + 1);
  errno = 0;
  std::FILE* file = std::fopen(name, "rb");
  if (file == nullptr) return LastError();
  (void)std::setvbuf(file, nullptr, _IONBF, 0);  // read straight into `bytes`
  const std::size_t size = std::fread(bytes.data(), 1, bytes.size(), file);
  const int code = std::ferror(file) != 0 ? LastError() : 0;
  (void)std::fclose(file);  // read only: nothing to lose
  bytes.resize(size);
  return code;
}

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

// C0 or DEL: a byte a terminal may obey rather than show.
bool IsControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

}  // namespace

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

// A control character could move a terminal's cursor or wipe a line, so none is
// printed raw. A backslash, CR, LF or any other control character (C0 and DEL)
// is escaped, as \\, \r, \n and \xHH, and the line then starts with a backslash,
// so the escaping can be undone. Windows names hold no control character, and
// there the backslash separates folders: a control character is printed as '?'.
#ifdef _WIN32
std::string EscapedName(std::string_view name) {
  std::string printed(name);
  std::replace_if(printed.begin(), printed.end(), IsControl, '?');
  return printed;
}
#else
std::string EscapedName(std::string_view name) {
  std::string escaped;
  for (const char c : name) {
    if (c == '\\') {
      escaped += "\\\\";
    } else if (c == '\n') {
      escaped += "\\n";
    } else if (c == '\r') {
      escaped += "\\r";
    } else if (IsControl(c)) {
      constexpr const char* Hex = "0123456789abcdef";
      const auto byte = static_cast<unsigned char>(c);
      escaped += "\\x";
      escaped += Hex[byte >> 4U];
      escaped += Hex[byte & 0xFU];
    } else {
      escaped += c;
    }
  }
  // Each escape makes the name longer.
  if (escaped.size() != name.size()) escaped.insert(escaped.begin(), '\\');
  return escaped;
}
#endif

void ReportFileError(const char* name, int code) {
  HideProgress();
  (void)std::fprintf(stderr, "pivra-check: %s: %s\n", EscapedName(name).c_str(),
                     FileErrorText(name, code));
}

}  // namespace pivra

// Name escaping, round-tripped: no control character is left, a changed name's
// line starts with a backslash, and undoing the escapes gives the name back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "check/files.h"

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  std::abort();
}

std::string Unescaped(std::string_view escaped) {
  std::string name;
  for (std::size_t i = 0; i < escaped.size(); ++i) {
    if (escaped[i] != '\\') {
      name += escaped[i];
      continue;
    }
    if (++i == escaped.size()) std::abort();
    switch (escaped[i]) {
      case '\\': name += '\\'; break;
      case 'n': name += '\n'; break;
      case 'r': name += '\r'; break;
      case 'x':
        if (i + 2 >= escaped.size()) std::abort();
        name += static_cast<char>(16 * HexDigit(escaped[i + 1]) + HexDigit(escaped[i + 2]));
        i += 2;
        break;
      default: std::abort();
    }
  }
  return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view name(reinterpret_cast<const char*>(data), size);
  const std::string escaped = pivra::EscapedName(name);
  for (const char c : escaped) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) std::abort();
  }
  if (escaped == name) {
    if (name.find('\\') != std::string_view::npos) std::abort();
    return 0;
  }
  if (escaped.empty() || escaped[0] != '\\') std::abort();
  if (Unescaped(std::string_view(escaped).substr(1)) != name) std::abort();
  return 0;
}

// Name escaping, round-tripped: what is printed is well-formed UTF-8 holding no
// control, bidirectional control or line separator; a changed name's line starts
// with a backslash, and undoing the escapes gives the name back. The same holds
// of the Windows form, with '?' in place of what cannot be printed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "check/report/escape.h"

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

// Whether `text` is well-formed UTF-8 (the Unicode standard's table of byte
// ranges) of printable characters alone.
bool PrintableUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto b = [&text, i](std::size_t k) {
      return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0U;
    };
    const auto in = [](unsigned byte, unsigned low, unsigned high) {
      return byte >= low && byte <= high;
    };
    std::size_t length = 0;
    if (in(b(0), 0x20, 0x7E)) {
      length = 1;
    } else if (in(b(0), 0xC2, 0xDF) && in(b(1), 0x80, 0xBF)) {
      length = b(0) == 0xC2 && b(1) < 0xA0 ? 0 : 2;  // C1
    } else if (in(b(0), 0xE0, 0xEF) &&
               in(b(1), b(0) == 0xE0 ? 0xA0 : 0x80, b(0) == 0xED ? 0x9F : 0xBF) &&
               in(b(2), 0x80, 0xBF)) {
      const unsigned code = (b(0) & 0xFU) << 12U | (b(1) & 0x3FU) << 6U | (b(2) & 0x3FU);
      const bool layout = code == 0x061C || code == 0x200E || code == 0x200F ||
                          in(code, 0x2028, 0x202E) || in(code, 0x2066, 0x2069);
      length = layout ? 0 : 3;
    } else if (in(b(0), 0xF0, 0xF4) &&
               in(b(1), b(0) == 0xF0 ? 0x90 : 0x80, b(0) == 0xF4 ? 0x8F : 0xBF) &&
               in(b(2), 0x80, 0xBF) && in(b(3), 0x80, 0xBF)) {
      length = 4;
    }
    if (length == 0) return false;
    i += length;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view name(reinterpret_cast<const char*>(data), size);
  if (!PrintableUtf8(pivra::QuestionMarked(name, true))) std::abort();
  const std::string escaped = pivra::BackslashEscaped(name);
  if (!PrintableUtf8(escaped)) std::abort();
  if (escaped == name) {
    if (name.find('\\') != std::string_view::npos) std::abort();
    return 0;
  }
  if (escaped.empty() || escaped[0] != '\\') std::abort();
  if (Unescaped(std::string_view(escaped).substr(1)) != name) std::abort();
  return 0;
}

// Name escaping, round-tripped: what is printed is well-formed UTF-8 holding no
// control, bidirectional control, line separator or other code point that shows
// as nothing, and a ZWJ or VS16 only within an emoji; a changed name's line
// starts with a backslash, and undoing the escapes gives the name back. The same
// holds of the Windows form, with '?' in place of what cannot be printed.
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

bool In(uint32_t code, uint32_t low, uint32_t high) { return code >= low && code <= high; }

// Code points that show as nothing or no text should hold, known without
// escape_table.h: all the controls, bidirectional controls, separators,
// noncharacters and private use, and a few of each other class.
bool Hidden(uint32_t code) {
  const bool layout = code == 0x061C || In(code, 0x200E, 0x200F) || In(code, 0x2028, 0x202E) ||
                      In(code, 0x2066, 0x2069);
  const bool ignorable = code == 0x00AD || code == 0x034F || In(code, 0x115F, 0x1160) ||
                         In(code, 0x180B, 0x180F) || In(code, 0x200B, 0x200C) ||
                         In(code, 0x2060, 0x2065) || code == 0x3164 || In(code, 0xFE00, 0xFE0E) ||
                         code == 0xFEFF || code == 0xFFA0 || In(code, 0xE0000, 0xE0FFF);
  const bool format = In(code, 0x0600, 0x0605) || In(code, 0xFFF9, 0xFFFB) ||
                      In(code, 0x13430, 0x1343F) || In(code, 0x1D173, 0x1D17A);
  const bool never = In(code, 0xFDD0, 0xFDEF) || (code & 0xFFFEU) == 0xFFFE ||
                     In(code, 0xE000, 0xF8FF) || code >= 0xF0000;
  return code < 0x20 || In(code, 0x7F, 0x9F) || layout || ignorable || format || never;
}

// Whether `text` is well-formed UTF-8 (the Unicode standard's table of byte
// ranges) of printable characters alone: a ZWJ or VS16 only after another
// character beyond ASCII (an emoji's), a ZWJ only before one.
bool PrintableUtf8(std::string_view text) {
  constexpr uint32_t Joiner = 0x200D;
  constexpr uint32_t Presentation = 0xFE0F;
  uint32_t before = 0;
  bool joined = false;  // the code point before was a ZWJ
  for (std::size_t i = 0; i < text.size();) {
    const auto b = [&text, i](std::size_t k) {
      return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0U;
    };
    std::size_t length = 0;
    uint32_t code = 0;
    if (In(b(0), 0x20, 0x7E)) {
      length = 1, code = b(0);
    } else if (In(b(0), 0xC2, 0xDF) && In(b(1), 0x80, 0xBF)) {
      length = 2, code = (b(0) & 0x1FU) << 6U | (b(1) & 0x3FU);
    } else if (In(b(0), 0xE0, 0xEF) &&
               In(b(1), b(0) == 0xE0 ? 0xA0 : 0x80, b(0) == 0xED ? 0x9F : 0xBF) &&
               In(b(2), 0x80, 0xBF)) {
      length = 3, code = (b(0) & 0xFU) << 12U | (b(1) & 0x3FU) << 6U | (b(2) & 0x3FU);
    } else if (In(b(0), 0xF0, 0xF4) &&
               In(b(1), b(0) == 0xF0 ? 0x90 : 0x80, b(0) == 0xF4 ? 0x8F : 0xBF) &&
               In(b(2), 0x80, 0xBF) && In(b(3), 0x80, 0xBF)) {
      length = 4,
      code = (b(0) & 0x7U) << 18U | (b(1) & 0x3FU) << 12U | (b(2) & 0x3FU) << 6U | (b(3) & 0x3FU);
    }
    if (length == 0 || Hidden(code)) return false;
    if ((code == Joiner || code == Presentation) && (before < 0xA9 || joined)) return false;
    if (joined && code < 0xA9) return false;
    joined = code == Joiner;
    before = code;
    i += length;
  }
  return !joined;
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

#include "check/report/escape.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pivra {
namespace {

bool IsAsciiControl(unsigned char byte) { return byte < 0x20 || byte == 0x7F; }

// Controls that reorder a line (Unicode's Bidi_Control), and the separators
// that break one.
bool IsLayoutControl(uint32_t code) {
  return code == 0x061C || code == 0x200E || code == 0x200F || (code >= 0x2028 && code <= 0x202E) ||
         (code >= 0x2066 && code <= 0x2069);
}

// The code point of the well-formed UTF-8 sequence at the start of `text`, and
// its length; a length of 0 where there is none (stray, overlong, surrogate,
// beyond U+10FFFF, or cut short).
std::size_t DecodeUtf8(std::string_view text, uint32_t& code) {
  const auto lead = static_cast<unsigned char>(text[0]);
  std::size_t length = 0;
  uint32_t least = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, least = 0x80, code = lead & 0x1FU;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, least = 0x800, code = lead & 0x0FU;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, least = 0x10000, code = lead & 0x07U;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[i]);
    if ((next & 0xC0U) != 0x80) return 0;
    code = (code << 6U) | (next & 0x3FU);
  }
  if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

void AppendHex(std::string& out, unsigned char byte) {
  constexpr const char* Hex = "0123456789abcdef";
  out += "\\x";
  out += Hex[byte >> 4U];
  out += Hex[byte & 0xFU];
}

}  // namespace

std::size_t PrintableLength(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  if (lead < 0x80) return IsAsciiControl(lead) ? 0 : 1;
  uint32_t code = 0;
  const std::size_t length = DecodeUtf8(text, code);
  if (length == 0 || code < 0xA0 || IsLayoutControl(code)) return 0;  // below 0xA0: C1
  return length;
}

std::string BackslashEscaped(std::string_view name) {
  std::string escaped;
  bool changed = false;
  for (std::size_t at = 0; at < name.size();) {
    const std::size_t length = PrintableLength(name.substr(at));
    const char c = name[at];
    if (length != 0 && c != '\\') {
      escaped.append(name, at, length);
      at += length;
      continue;
    }
    changed = true;
    if (c == '\\') {
      escaped += "\\\\";
    } else if (c == '\n') {
      escaped += "\\n";
    } else if (c == '\r') {
      escaped += "\\r";
    } else {
      AppendHex(escaped, static_cast<unsigned char>(c));
    }
    ++at;
  }
  if (changed) escaped.insert(escaped.begin(), '\\');
  return escaped;
}

std::string QuestionMarked(std::string_view name, bool utf8) {
  std::string printed;
  for (std::size_t at = 0; at < name.size();) {
    const std::size_t length =
        utf8 ? PrintableLength(name.substr(at))
             : static_cast<std::size_t>(!IsAsciiControl(static_cast<unsigned char>(name[at])));
    if (length == 0) {
      printed += '?';
      ++at;
    } else {
      printed.append(name, at, length);
      at += length;
    }
  }
  return printed;
}

}  // namespace pivra

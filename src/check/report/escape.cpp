#include "check/report/escape.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

#include "check/report/escape_table.h"

namespace pivra {
namespace {

bool IsAsciiControl(unsigned char byte) { return byte < 0x20 || byte == 0x7F; }

constexpr bool SortedAndDisjoint() {
  for (std::size_t i = 0; i < CodeRanges.size(); ++i) {
    if (CodeRanges[i].first > CodeRanges[i].last) return false;
    if (i > 0 && CodeRanges[i - 1].last >= CodeRanges[i].first) return false;
  }
  return true;
}
static_assert(SortedAndDisjoint(), "the binary search needs sorted, disjoint ranges");

CodeClass ClassOf(uint32_t code) {
  const auto* after =
      std::upper_bound(CodeRanges.begin(), CodeRanges.end(), code,
                       [](uint32_t value, const CodeRange& range) { return value < range.first; });
  if (after == CodeRanges.begin()) return CodeClass::Plain;
  const CodeRange& range = *std::prev(after);
  return code <= range.last ? range.kind : CodeClass::Plain;
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

// The code point at the start of `text` and its length, as DecodeUtf8; ASCII too,
// and a length of 0 for no text.
std::size_t Decode(std::string_view text, uint32_t& code) {
  if (text.empty()) return 0;
  code = static_cast<unsigned char>(text[0]);
  return code < 0x80 ? 1 : DecodeUtf8(text, code);
}

// How many bytes of `rest`, just after an emoji, still belong to it: VS16
// (emoji presentation) or a skin tone right after it, then each ZWJ that joins
// it to a next emoji, with that emoji's own. A ZWJ or VS16 anywhere else shows as
// nothing, and is escaped.
std::size_t EmojiTail(std::string_view rest) {
  constexpr uint32_t Presentation = 0xFE0F;
  constexpr uint32_t Joiner = 0x200D;
  std::size_t at = 0;
  for (;;) {
    uint32_t code = 0;
    std::size_t length = Decode(rest.substr(at), code);
    if (length != 0 && (code == Presentation || ClassOf(code) == CodeClass::Modifier)) {
      at += length;
      length = Decode(rest.substr(at), code);
    }
    if (length == 0 || code != Joiner) return at;
    uint32_t next = 0;
    const std::size_t next_length = Decode(rest.substr(at + length), next);
    if (next_length == 0 || ClassOf(next) != CodeClass::Emoji) return at;
    at += length + next_length;
  }
}

}  // namespace

std::size_t PrintableLength(std::string_view text) {
  uint32_t code = 0;
  const std::size_t length = Decode(text, code);
  if (length == 0) return 0;
  switch (ClassOf(code)) {
    case CodeClass::Hidden: return 0;
    case CodeClass::Emoji: return length + EmojiTail(text.substr(length));
    case CodeClass::Plain:
    case CodeClass::Modifier: break;
  }
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

// Names as a report prints them: nothing in a name may steer a terminal, break a
// line, or make the output anything but text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pivra {

// The bytes at the start of `text` that may be printed as they are: 1 for
// printable ASCII, 2 to 4 for a printable UTF-8 sequence, more for an emoji
// sequence (emoji joined by ZWJ, each with its VS16 or skin tone). 0 when its
// first byte may not: a byte of no valid UTF-8 sequence, or a code point that
// shows as nothing, or moves or breaks what is around it, or that no text
// should hold (escape_table.h: controls, format characters such as bidi controls
// and zero-width ones, line and paragraph separators, default-ignorables,
// private use and noncharacters).
std::size_t PrintableLength(std::string_view text);

// `name` as sha256sum prints it: a backslash, CR and LF as \\, \r and \n, and
// each other byte that may not be printed as it is as \xHH; a name so changed
// starts with a backslash, so that the escaping can be undone.
std::string BackslashEscaped(std::string_view name);

// `name` with each byte that may not be printed as it is replaced by '?': where
// the backslash separates folders and so cannot escape. `utf8`: the name is read
// as UTF-8; else as a legacy code page, where only C0 and DEL are controls.
std::string QuestionMarked(std::string_view name, bool utf8);

}  // namespace pivra

// What a name may show raw, and how the rest is escaped.
#include "check/report/escape.h"

#include <gtest/gtest.h>

namespace pivra {
namespace {

TEST(Escape, OnlyPrintableUtf8IsLeftRaw) {
  // C1 as a byte and in UTF-8: the CSI that can recolour or clear a screen.
  EXPECT_EQ(BackslashEscaped("x\x9b"
                             "31mRED\xc2\x9b"
                             "2Jy.TXT"),
            "\\x\\x9b31mRED\\xc2\\x9b2Jy.TXT");
  // Bytes of no UTF-8 sequence: stray, overlong, a surrogate, cut short.
  EXPECT_EQ(BackslashEscaped("\xff\xc0\xaf\xed\xa0\x80\xe6\x97"),
            "\\\\xff\\xc0\\xaf\\xed\\xa0\\x80\\xe6\\x97");
  // Right-to-left override, isolate, and a paragraph separator.
  EXPECT_EQ(BackslashEscaped("a\u202Eb\u2067c\u2029"),
            "\\a\\xe2\\x80\\xaeb\\xe2\\x81\\xa7c\\xe2\\x80\\xa9");
  const char* const printable = "caf\u00e9 \u00a0\u65e5\u672c \U0001F3B2.TXT";
  EXPECT_EQ(BackslashEscaped(printable), printable);
  // Windows: a legacy code page's bytes from 0x80 up are letters there.
  EXPECT_EQ(QuestionMarked("\x1b[2J\xe9\x9b", false), "?[2J\xe9\x9b");
  EXPECT_EQ(QuestionMarked("\x1b[2J\xe9\x9b\xc2\x9b\u00e9", true), "?[2J????\u00e9");
}

TEST(Escape, WhatShowsAsNothingIsEscapedButEmojiStayWhole) {
  // So that "a.TXT: OK" and "a<BOM>.TXT: FAILED" cannot look the same: zero-width
  // space, BOM, word joiner, a tag, soft hyphen, Hangul filler, Mongolian vowel
  // separator, an annotation anchor (Cf), noncharacters, private use.
  EXPECT_EQ(BackslashEscaped("a\u200B\uFEFF\u2060\U000E0041\u00AD\u3164\u180E\uFFF9.TXT"),
            "\\a\\xe2\\x80\\x8b\\xef\\xbb\\xbf\\xe2\\x81\\xa0\\xf3\\xa0\\x81\\x81\\xc2\\xad"
            "\\xe3\\x85\\xa4\\xe1\\xa0\\x8e\\xef\\xbf\\xb9.TXT");
  EXPECT_EQ(
      BackslashEscaped("\uFFFE\uFDD0\U0010FFFF\uE000\U000F0000"),
      "\\\\xef\\xbf\\xbe\\xef\\xb7\\x90\\xf4\\x8f\\xbf\\xbf\\xee\\x80\\x80\\xf3\\xb0\\x80\\x80");
  // A VS16 or ZWJ that joins no emoji: after a letter, or a ZWJ with no emoji after it.
  EXPECT_EQ(BackslashEscaped("a\uFE0F\u2764\u200D.TXT"),
            "\\a\\xef\\xb8\\x8f\u2764\\xe2\\x80\\x8d.TXT");
  // Heart, rainbow flag, technologist with a skin tone, a family of three.
  const char* const emoji =
      "\u2764\uFE0F \U0001F3F3\uFE0F\u200D\U0001F308 \U0001F469\U0001F3FD\u200D\U0001F4BB "
      "\U0001F468\u200D\U0001F469\u200D\U0001F467.TXT";
  EXPECT_EQ(BackslashEscaped(emoji), emoji);
  EXPECT_EQ(QuestionMarked(emoji, true), emoji);
  EXPECT_EQ(QuestionMarked("a\uFEFF\U0001F469\u200D.TXT", true), "a???\U0001F469???.TXT");
}

}  // namespace
}  // namespace pivra

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

}  // namespace
}  // namespace pivra

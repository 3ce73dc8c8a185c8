// The draw file's layout, which the writer, the checker and the tests share:
// every size is derived from its parts, so that none can drift from another.
#pragma once

#include <cstddef>

namespace pivra {

// The table: ten blocks, each a permutation of 1..80 cut into ten sets of eight.
constexpr unsigned RowCount = 10;
constexpr unsigned RowLength = 80;
constexpr unsigned SetSize = 8;
constexpr unsigned SetsPerBlock = 10;
constexpr unsigned SetCount = RowCount * SetsPerBlock;
static_assert(SetsPerBlock * SetSize == RowLength, "a block's sets hold each number once");

// A set line: eight two-digit numbers, single spaces apart.
constexpr std::size_t NumberDigits = 2;
constexpr std::size_t LineLength = SetSize * (NumberDigits + 1) - 1;
// A separator line is as long, all of this character.
constexpr char SeparatorChar = '=';
constexpr std::size_t LineEndLength = 2;  // CR LF
constexpr std::size_t LineBytes = LineLength + LineEndLength;

// A separator, then each block's sets closed by a separator of their own.
constexpr unsigned LinesPerBlock = SetsPerBlock + 1;
constexpr unsigned FileLineCount = 1 + RowCount * LinesPerBlock;
constexpr std::size_t DrawFileSize = FileLineCount * LineBytes;

}  // namespace pivra

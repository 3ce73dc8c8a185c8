#include "check/work/draw_check.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "draw/layout.h"
#include "draw/table.h"

namespace pivra {
namespace {

// A separator line, less its CR LF.
constexpr std::string_view Separator = [] {
  constexpr std::string_view all_of_one = "=======================";
  static_assert(all_of_one.size() == LineLength && all_of_one.front() == SeparatorChar);
  return all_of_one;
}();

FileFault Fault(unsigned line, std::string what) { return {line, std::move(what)}; }

// Built by appending: GCC 12 warns falsely about a literal put before a temporary.
std::string Column(std::size_t index) {
  std::string text = "character ";
  text += std::to_string(index + 1);
  return text;
}

// Why the line at `start` is not a line's characters ended by CR LF.
FileFault LineEndFault(std::string_view bytes, std::size_t start, unsigned line) {
  const std::size_t end = std::min(bytes.find_first_of("\r\n", start), bytes.size());
  const std::size_t length = end - start;
  const std::string expected = std::to_string(LineLength);
  // A long line may run past what was read, so only a short one gets its length.
  if (length > LineLength) return Fault(line, "more than " + expected + " characters");
  if (length < LineLength) {
    return Fault(line, std::to_string(length) + " characters, not " + expected);
  }
  if (end == bytes.size()) return Fault(line, "no CR LF: the file ends inside the line");
  if (bytes[end] == '\n') return Fault(line, "ended by LF alone, not CR LF");
  return Fault(line, "CR not followed by LF");
}

// One set line: eight two-digit numbers of 1..80, single spaces apart, ascending,
// none already on an earlier line of the block. `seen_on` holds those lines by number.
FileFault CheckSetLine(std::string_view text, unsigned line, uint8_t* seen_on, uint8_t* set) {
  static_assert(NumberDigits == 2, "a number is read as two digits");
  unsigned previous = 0;
  for (unsigned k = 0; k < SetSize; ++k) {
    const std::size_t at = (NumberDigits + 1) * k;
    for (std::size_t i = at; i < at + NumberDigits; ++i) {
      if (text[i] < '0' || text[i] > '9') return Fault(line, Column(i) + " is not a digit");
    }
    if (k + 1 < SetSize && text[at + NumberDigits] != ' ')
      return Fault(line, Column(at + NumberDigits) + " is not a space");
    const std::string_view number = text.substr(at, NumberDigits);
    const auto value = static_cast<unsigned>((text[at] - '0') * 10 + (text[at + 1] - '0'));
    if (value < 1 || value > RowLength) {
      return Fault(line, std::string(number) + " is outside 01..80");
    }
    if (value <= previous) {
      return Fault(line, std::string(number) + " after " +
                             std::string(text.substr(at - (NumberDigits + 1), NumberDigits)) +
                             ": not strictly ascending");
    }
    if (seen_on[value] != 0) {
      return Fault(line, std::string(number) + " is already in this block, on line " +
                             std::to_string(seen_on[value]));
    }
    seen_on[value] = static_cast<uint8_t>(line);
    set[k] = static_cast<uint8_t>(value);
    previous = value;
  }
  return {};
}

// The fast path reads a line as machine words: a valid file passes it whole, and
// any other goes to the line-by-line check above, which names the first fault.
static_assert(LineLength == 23 && LineBytes == 25 && NumberDigits == 2 && SetSize == 8 &&
                  RowLength == 80 && SetsPerBlock == 10,
              "the words below are laid out for this line");

constexpr uint64_t Ones = 0x0101010101010101;  // 1 in each byte
constexpr uint64_t High = Ones * 0x80;         // each byte's top bit

// The word whose bytes, low first, are those of `word` as this machine keeps
// them, and the other way round: their order reversed on a big-endian one.
uint64_t LittleEndian(uint64_t word) {
  if constexpr (std::endian::native == std::endian::big) {
    word = (word & 0x00FF00FF00FF00FF) << 8 | ((word >> 8) & 0x00FF00FF00FF00FF);
    word = (word & 0x0000FFFF0000FFFF) << 16 | ((word >> 16) & 0x0000FFFF0000FFFF);
    word = word << 32 | word >> 32;
  }
  return word;
}

// Eight bytes as a word whose low byte is the first, on any machine.
uint64_t LoadLittle(const char* at) {
  uint64_t word = 0;
  std::memcpy(&word, at, sizeof word);
  return LittleEndian(word);
}

void StoreLittle(uint64_t word, uint8_t* at) {
  word = LittleEndian(word);
  std::memcpy(at, &word, sizeof word);
}

// The word of eight characters, the first in the low byte.
constexpr uint64_t Word(std::string_view text) {
  uint64_t word = 0;
  for (std::size_t i = 0; i < sizeof word; ++i) {
    word |= uint64_t{static_cast<unsigned char>(text[i])} << (8 * i);
  }
  return word;
}

// What must be added to a byte of (word ^ skeleton) to carry into its top bit
// when it is wrong: above 9 where the skeleton has a '0' (a digit), above 0
// anywhere else (a fixed character).
constexpr uint64_t FaultAddend(uint64_t skeleton) {
  uint64_t addend = 0;
  for (unsigned i = 0; i < 8; ++i) {
    addend |= uint64_t{((skeleton >> (8 * i)) & 0xFF) == '0' ? 0x76U : 0x7FU} << (8 * i);
  }
  return addend;
}

// Three numbers and their spaces (characters 1-8 or 10-17), and the last two
// numbers with CR LF (characters 18-25).
constexpr uint64_t Triple = Word("00 00 00");
constexpr uint64_t LastPair = Word(" 00 00\r\n");

// The top bit of each byte of x = word ^ skeleton whose byte of `word` is not
// the skeleton's: a digit where it has '0', its own character elsewhere. Such a
// byte of x is right below 10, or at 0; past that, x + addend reaches the top
// bit. A byte of x of 0x80 or more has it already, and only such a byte carries
// into the next, which so is flagged or flagged already. The digits stay in x.
uint64_t SkeletonFaults(uint64_t x, uint64_t skeleton) {
  return (x | (x + FaultAddend(skeleton))) & High;
}

// Nonzero unless the 25 bytes at `line` are a separator line: four words
// compared whole, at 0, 8 and 16 (22 '=', CR) and at 17 for the LF.
uint64_t SeparatorFaults(const char* line) {
  static_assert(SeparatorChar == '=');
  constexpr uint64_t Equals = Word("========");
  return (LoadLittle(line) ^ Equals) | (LoadLittle(line + 8) ^ Equals) |
         (LoadLittle(line + 16) ^ Word("=======\r")) | (LoadLittle(line + 17) ^ Word("======\r\n"));
}

// Nonzero unless the 25 bytes at `line` are a set line whose numbers lie in
// 1..80, ascending. Three words cover all but character 9, a space tested
// alone: characters 1-8 and 10-17 (three numbers each) and 18-25 (two numbers,
// CR LF). The numbers go to `set`.
uint64_t SetLineFaults(const char* line, uint8_t* set) {
  const uint64_t first = LoadLittle(line) ^ Triple;
  const uint64_t middle = LoadLittle(line + 9) ^ Triple;
  const uint64_t last = LoadLittle(line + 17) ^ LastPair;
  const uint64_t faults = SkeletonFaults(first, Triple) | SkeletonFaults(middle, Triple) |
                          SkeletonFaults(last, LastPair);
  const uint64_t space = static_cast<unsigned char>(line[8]) ^ static_cast<unsigned>(' ');
  // Times 0x0A01, each byte gains ten times the byte below: a number's value
  // where its ones digit was, below 100 so that nothing carries. Then each
  // product gathers its numbers into adjacent bytes, one number per byte.
  // Each multiplier has one term more (0x10000, or 1 << 48 or 56) that only
  // adds a space's byte, 0, or moves bytes out of the word: it changes no
  // number, and makes GCC multiply in one instruction, not in a chain of
  // shifts and adds (a sixth fewer instructions a file).
  constexpr uint64_t TimesTen = 0x010A01;
  constexpr uint64_t Gather = 0x0100000100010001;
  const uint64_t in_first = (first * TimesTen) & 0xFF0000FF0000FF00;  // bytes 1, 4, 7
  const uint64_t in_middle = (middle * TimesTen) & 0xFF0000FF0000FF00;
  const uint64_t in_last = (last * TimesTen) & 0x0000FF0000FF0000;  // bytes 2, 5
  const uint64_t numbers = (in_first * Gather) >> 40 |
                           ((in_middle * Gather) >> 16 & 0x0000FFFFFF000000) |
                           ((in_last * 0x0001000100010000) & 0xFFFF000000000000);
  // Each byte below the one after it, the first above 0: 0x80 + before - number
  // keeps its top bit when the number is not above the one before. The last
  // number is above 80 when adding 47 carries into its top bit. Numbers are
  // below 100 here, so no byte borrows or carries.
  const uint64_t order = ((numbers << 8) + High - numbers) | (numbers + (uint64_t{47} << 56));
  StoreLittle(numbers, set);
  return faults | (order & High) | space;
}

// Nonzero unless the block's 80 numbers at `row`, each in 1..80, are all
// different: each marks its place in `seen` with `stamp`, which none bore
// before, and every place of 1..80 must then bear it.
uint64_t BlockFaults(const uint8_t* row, uint8_t* seen, uint8_t stamp) {
  for (unsigned s = 0; s < SetsPerBlock; ++s) {
    for (unsigned k = 0; k < SetSize; ++k) seen[row[s * SetSize + k]] = stamp;
  }
  uint64_t faults = 0;
  for (unsigned i = 0; i < RowLength; i += 8) {
    uint64_t word = 0;
    std::memcpy(&word, seen + 1 + i, sizeof word);
    faults |= word ^ (Ones * stamp);
  }
  return faults;
}

}  // namespace

bool DrawFileValid(std::string_view bytes, DrawTable& sets) {
  if (bytes.size() != DrawFileSize) return false;
  // By any number a set line's digits make (0..255 when they are not digits).
  uint8_t seen[256] = {};
  const char* line = bytes.data();
  uint64_t faults = SeparatorFaults(line);
  for (unsigned block = 0; block < RowCount; ++block) {
    const auto stamp = static_cast<uint8_t>(block + 1);
    for (unsigned s = 0; s < SetsPerBlock; ++s) {
      line += LineBytes;
      faults |= SetLineFaults(line, TableSet(sets, block * SetsPerBlock + s));
    }
    line += LineBytes;
    faults |= SeparatorFaults(line) | BlockFaults(TableRow(sets, block), seen, stamp);
  }
  return faults == 0;
}

FileFault CheckDrawFile(std::string_view bytes, DrawTable& sets) {
  if (DrawFileValid(bytes, sets)) return {};
  static_assert(FileLineCount < 256, "lines are kept in bytes");
  uint8_t seen_on[RowLength + 1] = {};
  unsigned set = 0;
  // Its three bytes would only count as characters of a line too long.
  if (bytes.starts_with("\xEF\xBB\xBF")) {
    return Fault(1, "starts with a UTF-8 byte-order mark: the file was saved by an editor");
  }
  for (unsigned line = 1; line <= FileLineCount; ++line) {
    const std::size_t start = (line - 1) * LineBytes;
    if (start >= bytes.size()) {
      return Fault(line, line == 1
                             ? "missing: the file is empty"
                             : "missing: the file ends after line " + std::to_string(line - 1));
    }
    if (bytes.size() - start < LineBytes || bytes[start + LineLength] != '\r' ||
        bytes[start + LineLength + 1] != '\n') {
      return LineEndFault(bytes, start, line);
    }
    const std::string_view text = bytes.substr(start, LineLength);
    if ((line - 1) % LinesPerBlock == 0) {
      if (text != Separator) {
        return Fault(
            line, "not a separator of " + std::to_string(LineLength) + " '" + SeparatorChar + "'");
      }
      std::memset(seen_on, 0, sizeof seen_on);
      continue;
    }
    if (FileFault fault = CheckSetLine(text, line, seen_on, TableSet(sets, set++)); fault.line != 0)
      return fault;
  }
  if (bytes.size() > DrawFileSize) return Fault(FileLineCount + 1, "text after the last line");
  return {};
}

std::string DescribeFault(const FileFault& fault) {
  if (fault.line == 0) return {};
  std::string text = "line ";
  text += std::to_string(fault.line);
  return text + ": " + fault.what;
}

}  // namespace pivra

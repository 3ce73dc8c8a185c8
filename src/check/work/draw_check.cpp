#include "check/work/draw_check.h"

#include <algorithm>
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

// The common case, a valid set line, read without building any text: its
// numbers go to `set`, and `seen_on` is left as it was. False for any fault,
// which CheckSetLine then names.
bool SetLineValid(std::string_view text, const uint8_t* seen_on, uint8_t* set) {
  unsigned previous = 0;
  for (unsigned k = 0; k < SetSize; ++k) {
    const char* number = text.data() + (NumberDigits + 1) * k;
    // A byte below '0' wraps round to a large digit.
    const unsigned tens = static_cast<unsigned char>(number[0]) - unsigned{'0'};
    const unsigned ones = static_cast<unsigned char>(number[1]) - unsigned{'0'};
    const unsigned value = tens * 10 + ones;
    if (tens > 9 || ones > 9 || value <= previous || value > RowLength || seen_on[value] != 0 ||
        (k + 1 < SetSize && number[NumberDigits] != ' ')) {
      return false;
    }
    set[k] = static_cast<uint8_t>(value);
    previous = value;
  }
  return true;
}

}  // namespace

FileFault CheckDrawFile(std::string_view bytes, DrawTable& sets) {
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
    uint8_t* numbers = TableSet(sets, set++);
    if (!SetLineValid(text, seen_on, numbers)) return CheckSetLine(text, line, seen_on, numbers);
    for (unsigned k = 0; k < SetSize; ++k) seen_on[numbers[k]] = static_cast<uint8_t>(line);
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

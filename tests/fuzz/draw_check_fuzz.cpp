// The draw-file check on any bytes, against an oracle written from the manual
// page alone: a valid file is exactly 111 lines of 23 characters, each ended by
// CR LF; lines 1, 12, ... 111 are 23 '='; every other line holds eight two-digit
// numbers 01..80, single spaces apart, strictly ascending; and the ten lines of a
// block hold each number once. The fault named is the first line from the top
// that breaks this, and line 112 for bytes after the last line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "check/work/draw_check.h"
#include "draw/table.h"

namespace {

constexpr unsigned Lines = 111;
constexpr std::size_t Width = 23;

int Digit(char c) { return c >= '0' && c <= '9' ? c - '0' : -1; }

// Whether `text` is a valid set line; `seen` holds the numbers of the block so far.
bool SetLineValid(std::string_view text, bool* seen, uint8_t* set) {
  int before = 0;
  for (std::size_t k = 0; k < 8; ++k) {
    const int tens = Digit(text[3 * k]);
    const int ones = Digit(text[3 * k + 1]);
    if (tens < 0 || ones < 0 || (k < 7 && text[3 * k + 2] != ' ')) return false;
    const int number = 10 * tens + ones;
    if (number < 1 || number > 80 || number <= before || seen[number]) return false;
    seen[number] = true;
    set[k] = static_cast<uint8_t>(number);
    before = number;
  }
  return true;
}

// The first faulty line, 0 for a valid file; `sets` gets a valid file's sets.
unsigned FirstFault(std::string_view bytes, uint8_t* sets) {
  bool seen[81] = {};
  std::size_t at = 0;
  unsigned set = 0;
  for (unsigned line = 1; line <= Lines; ++line, at += Width + 2) {
    if (bytes.size() < at + Width + 2 || bytes.substr(at + Width, 2) != "\r\n") return line;
    const std::string_view text = bytes.substr(at, Width);
    if ((line - 1) % 11 == 0) {
      if (text != std::string(Width, '=')) return line;
      for (bool& number : seen) number = false;
    } else if (!SetLineValid(text, seen, sets + 8 * set++)) {
      return line;
    }
  }
  return bytes.size() == at ? 0 : Lines + 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  pivra::DrawTable sets{};
  const pivra::FileFault fault = pivra::CheckDrawFile(bytes, sets);
  uint8_t expected[800] = {};
  if (fault.line != FirstFault(bytes, expected)) std::abort();
  // A valid file's sets are its numbers, in order.
  if (fault.line == 0 && std::string_view(reinterpret_cast<const char*>(sets.numbers), 800) !=
                             std::string_view(reinterpret_cast<const char*>(expected), 800)) {
    std::abort();
  }
  // The fault's words never carry a byte of the file that a terminal would obey.
  for (const char c : pivra::DescribeFault(fault)) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) std::abort();
  }
  if ((fault.line == 0) != pivra::DescribeFault(fault).empty()) std::abort();
  // The fast path takes every valid file, and no other, by itself.
  pivra::DrawTable fast_sets{};
  if (pivra::DrawFileValid(bytes, fast_sets) != (fault.line == 0)) std::abort();
  return 0;
}

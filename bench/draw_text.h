// A valid draw file from a seeded std::mt19937, formatted by pivra's own code:
// archives for the benchmarks of pivra-check.
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>

#include "draw/table.h"
#include "run/draw_file.h"
#include "run/draw_table.h"  // filling and sorting rows as the run does

inline std::string DrawFileText(std::mt19937& random) {
  pivra::DrawTable table{};
  std::string text = std::string(pivra::SeparatorLine) + "\r\n";
  for (unsigned row = 0; row < pivra::RowCount; ++row) {
    uint8_t* numbers = pivra::TableRow(table, row);
    pivra::FillAscending(numbers, pivra::RowLength);
    std::shuffle(numbers, numbers + pivra::RowLength, random);
    for (unsigned set = 0; set < pivra::SetsPerBlock; ++set) {
      uint8_t* set_numbers = numbers + set * pivra::SetSize;
      pivra::SortSet(set_numbers, pivra::SetSize);
      char line[3 * pivra::SetSize];
      text.append(line, pivra::FormatSet(set_numbers, pivra::SetSize, line));
      text += "\r\n";
    }
    text += std::string(pivra::SeparatorLine) + "\r\n";
  }
  return text;
}

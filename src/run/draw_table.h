// The draw table: ten shuffled permutations of 1..80, read as 100 sorted sets of eight.
#pragma once

#include <cstddef>
#include <cstdint>

#include "run/draw_layout.h"

namespace pivra {

struct DrawTable {
  uint8_t numbers[RowCount * RowLength];  // row r at 80r, set k at 8k; block b is row b
};

inline uint8_t* TableRow(DrawTable& table, unsigned row) {
  return &table.numbers[static_cast<std::size_t>(row) * RowLength];
}
inline uint8_t* TableSet(DrawTable& table, unsigned set) {
  return &table.numbers[static_cast<std::size_t>(set) * SetSize];
}
inline const uint8_t* TableSet(const DrawTable& table, unsigned set) {
  return table.numbers + static_cast<std::size_t>(set) * SetSize;
}

void SwapBytes(uint8_t& a, uint8_t& b);

// bytes[i] = i + 1.
void FillAscending(uint8_t* bytes, uint8_t n);

// Fisher-Yates from the end, drawing n - 1 outputs from the run's generator.
void ShuffleRow(uint8_t* bytes, uint8_t n);

// Ascending, smaller values sinking to the front; equal values never swap.
void SortSet(uint8_t* bytes, uint8_t n);

// Fills, shuffles and sorts the run's table; the order fixes which output goes where.
void BuildDrawTable();

}  // namespace pivra

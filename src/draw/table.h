// The draw table: 800 numbers, read as ten rows of 80 or as 100 sets of eight.
#pragma once

#include <cstddef>
#include <cstdint>

#include "draw/layout.h"

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

}  // namespace pivra

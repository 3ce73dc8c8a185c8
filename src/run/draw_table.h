// Building the run's draw table: ten shuffled permutations of 1..80, read as 100
// sorted sets of eight.
#pragma once

#include <cstdint>

#include "draw/table.h"

namespace pivra {

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

// What a judgement counts of each valid file, block by block: the numbers by set
// position, the pairs that share a set, and one set's sum per block.
#pragma once

#include <cstdint>

#include "draw/layout.h"
#include "draw/table.h"

namespace pivra {

constexpr unsigned SetSumMax = 612;  // 73 + 74 + ... + 80

struct FairnessCounts {
  uint64_t blocks;
  uint64_t by_set[RowLength][SetsPerBlock];  // [n - 1][s]: blocks with n in set s
  uint64_t pairs[RowLength][RowLength];      // [i - 1][j - 1], i < j: blocks with i, j in one set
  uint64_t sums[SetSumMax + 1];              // one counted set per block, by its sum
};

// Adds a valid file's ten blocks.
void CountDrawTable(FairnessCounts& counts, const DrawTable& sets);

// Counts gathered apart, added to `into` or taken out of `from`.
void AddCounts(FairnessCounts& into, const FairnessCounts& counts);
void SubtractCounts(FairnessCounts& from, const FairnessCounts& counts);

}  // namespace pivra

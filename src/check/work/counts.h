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
  // What was counted since the last FlushCounts, by number rather than from 0:
  // 16-bit counters, a quarter of the totals' memory, that a file raises by at
  // most ten each.
  struct Pending {
    uint32_t files;
    uint16_t by_set[SetsPerBlock][RowLength + 1];  // [s][n]
    uint16_t pairs[RowLength + 1][RowLength + 1];  // [i][j], i < j
    uint16_t sums[SetSumMax + 1];
  } pending;
};

// Adds a valid file's ten blocks: `blocks` at once, the rest pending.
void CountDrawTable(FairnessCounts& counts, const DrawTable& sets);

// Moves the pending counts into by_set, pairs and sums, which are exact only
// then: call it once counting is done, before they are read.
void FlushCounts(FairnessCounts& counts);

// Add `from`'s counts to `into`, or take `what`'s away from `from`, pending or
// flushed on either side: exact once both are flushed, wherever the counts were
// made. A copy's table counted alone can so be taken away again.
void AddCounts(FairnessCounts& into, const FairnessCounts& from);
void SubtractCounts(FairnessCounts& from, const FairnessCounts& what);

}  // namespace pivra

#include "check/work/counts.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "draw/layout.h"
#include "draw/table.h"

namespace pivra {
namespace {

// A file raises each pending counter at most once a block: each number lies in
// one set of it, each pair shares at most one, and one sum is counted.
constexpr uint32_t PendingFilesMax = std::numeric_limits<uint16_t>::max() / RowCount;

// Adds `pending` to `into`'s totals, or with `sign` -1 takes it away: modulo
// 2^64, so that the order of adding, taking away and flushing does not matter
// once all is done.
void AddPending(FairnessCounts& into, const FairnessCounts::Pending& pending, uint64_t sign) {
  for (unsigned n = 1; n <= RowLength; ++n) {
    for (unsigned s = 0; s < SetsPerBlock; ++s)
      into.by_set[n - 1][s] += sign * pending.by_set[s][n];
    for (unsigned m = n + 1; m <= RowLength; ++m) {
      into.pairs[n - 1][m - 1] += sign * pending.pairs[n][m];
    }
  }
  for (unsigned sum = 0; sum <= SetSumMax; ++sum) into.sums[sum] += sign * pending.sums[sum];
}

// Adds `from`'s counts, totals and pending, to `into`'s totals, or takes them away.
void AddAll(FairnessCounts& into, const FairnessCounts& from, uint64_t sign) {
  into.blocks += sign * from.blocks;
  for (unsigned n = 0; n < RowLength; ++n) {
    for (unsigned s = 0; s < SetsPerBlock; ++s) into.by_set[n][s] += sign * from.by_set[n][s];
    for (unsigned m = 0; m < RowLength; ++m) into.pairs[n][m] += sign * from.pairs[n][m];
  }
  for (unsigned sum = 0; sum <= SetSumMax; ++sum) into.sums[sum] += sign * from.sums[sum];
  AddPending(into, from.pending, sign);
}

}  // namespace

void CountDrawTable(FairnessCounts& counts, const DrawTable& sets) {
  FairnessCounts::Pending& pending = counts.pending;
  if (pending.files == PendingFilesMax) FlushCounts(counts);
  ++pending.files;
  counts.blocks += RowCount;
  for (unsigned block = 0; block < RowCount; ++block) {
    for (unsigned s = 0; s < SetsPerBlock; ++s) {
      // Copied out of the table, whose bytes could alias the counters, so that
      // each increment needs no reload of the set.
      unsigned set[SetSize];
      std::copy_n(TableSet(sets, block * SetsPerBlock + s), SetSize, set);
      uint16_t* by_set = pending.by_set[s];
      for (unsigned k = 0; k < SetSize; ++k) {
        ++by_set[set[k]];
        // Ascending, so set[k] < set[m]; bounds the compiler can unroll whole.
        uint16_t* pairs = pending.pairs[set[k]];
        for (unsigned m = 1; m < SetSize; ++m) {
          if (m > k) ++pairs[set[m]];
        }
      }
    }
    // One set per block counts for the sum, turning with the block (every file
    // adds ten blocks), so that the counted sets are independent.
    const uint8_t* summed = TableSet(sets, block * SetsPerBlock + block % SetsPerBlock);
    unsigned sum = 0;
    for (unsigned k = 0; k < SetSize; ++k) sum += summed[k];
    ++pending.sums[sum];
  }
}

void FlushCounts(FairnessCounts& counts) {
  AddPending(counts, counts.pending, 1);
  counts.pending = {};
}

void AddCounts(FairnessCounts& into, const FairnessCounts& from) { AddAll(into, from, 1); }

void SubtractCounts(FairnessCounts& from, const FairnessCounts& what) {
  AddAll(from, what, ~uint64_t{0});
}

}  // namespace pivra

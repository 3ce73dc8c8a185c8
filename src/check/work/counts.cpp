#include "check/work/counts.h"

#include <algorithm>
#include <cstdint>

#include "draw/layout.h"
#include "draw/table.h"

namespace pivra {

void CountDrawTable(FairnessCounts& counts, const DrawTable& sets) {
  for (unsigned block = 0; block < RowCount; ++block) {
    // One set per block counts for the sum, turning with the block's number, so
    // that the counted sets are independent.
    const auto summed = static_cast<unsigned>(counts.blocks % SetsPerBlock);
    for (unsigned s = 0; s < SetsPerBlock; ++s) {
      // Copied out of the table, whose bytes could alias the counts, so that
      // each increment needs no reload of the set.
      unsigned set[SetSize];
      std::copy_n(TableSet(sets, block * SetsPerBlock + s), SetSize, set);
      unsigned sum = 0;
      for (unsigned k = 0; k < SetSize; ++k) {
        ++counts.by_set[set[k] - 1][s];
        sum += set[k];
        // Ascending, so set[k] < set[m].
        uint64_t* pairs = counts.pairs[set[k] - 1];
        for (unsigned m = k + 1; m < SetSize; ++m) ++pairs[set[m] - 1];
      }
      if (s == summed) ++counts.sums[sum];
    }
    ++counts.blocks;
  }
}

namespace {

template <typename Apply>
void EachCount(FairnessCounts& counts, const FairnessCounts& other, Apply apply) {
  apply(counts.blocks, other.blocks);
  for (unsigned n = 0; n < RowLength; ++n) {
    for (unsigned s = 0; s < SetsPerBlock; ++s) apply(counts.by_set[n][s], other.by_set[n][s]);
    for (unsigned m = 0; m < RowLength; ++m) apply(counts.pairs[n][m], other.pairs[n][m]);
  }
  for (unsigned sum = 0; sum <= SetSumMax; ++sum) apply(counts.sums[sum], other.sums[sum]);
}

}  // namespace

void AddCounts(FairnessCounts& into, const FairnessCounts& counts) {
  EachCount(into, counts, [](uint64_t& to, uint64_t from) { to += from; });
}

void SubtractCounts(FairnessCounts& from, const FairnessCounts& counts) {
  EachCount(from, counts, [](uint64_t& to, uint64_t taken) { to -= taken; });
}

}  // namespace pivra

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

}  // namespace pivra

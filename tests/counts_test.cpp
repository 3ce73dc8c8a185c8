// The fairness counts of a known table, past the range of the pending counters,
// and counts added and taken away, flushed or not.
#include "check/work/counts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <numeric>
#include <random>
#include <vector>

namespace pivra {
namespace {

// Each block 1..80 in order or, with `random`, shuffled, each set then sorted.
DrawTable Table(std::mt19937* random) {
  DrawTable table{};
  for (unsigned row = 0; row < RowCount; ++row) {
    uint8_t* numbers = TableRow(table, row);
    std::iota(numbers, numbers + RowLength, uint8_t{1});
    if (random == nullptr) continue;
    std::shuffle(numbers, numbers + RowLength, *random);
    for (uint8_t* set = numbers; set < numbers + RowLength; set += SetSize) {
      std::sort(set, set + SetSize);
    }
  }
  return table;
}

std::unique_ptr<FairnessCounts> Counted(const std::vector<DrawTable>& tables, bool flush = true) {
  auto counts = std::make_unique<FairnessCounts>();
  for (const DrawTable& table : tables) CountDrawTable(*counts, table);
  if (flush) FlushCounts(*counts);
  return counts;
}

// The totals, all that the statistics and the picture read.
bool SameTotals(const FairnessCounts& a, const FairnessCounts& b) {
  return std::memcmp(&a, &b, offsetof(FairnessCounts, pending)) == 0;
}

TEST(Counts, OfOrderedTablesPastTheRangeOfPendingCounters) {
  // 7,000 files raise the counters of numbers sharing a set past 16 bits.
  const auto counts = Counted(std::vector<DrawTable>(7000, Table(nullptr)));
  EXPECT_EQ(counts->blocks, 70000U);
  EXPECT_EQ(counts->by_set[0][0], 70000U);  // 1 in set 0
  EXPECT_EQ(counts->by_set[79][9], 70000U);
  EXPECT_EQ(counts->by_set[8][0], 0U);
  EXPECT_EQ(counts->pairs[0][7], 70000U);  // 1 and 8
  EXPECT_EQ(counts->pairs[7][8], 0U);
  // Block b counts the sum of its set b, 8b+1 + ... + 8b+8.
  for (unsigned b = 0; b < RowCount; ++b) EXPECT_EQ(counts->sums[64 * b + 36], 7000U) << b;
}

TEST(Counts, AddedAndTakenAwayFlushedOrNotAreExact) {
  std::mt19937 random(6);
  const DrawTable kept = Table(&random);
  const DrawTable copy = Table(&random);
  // A copy counted with the rest, taken away again before either is flushed.
  const auto all = Counted({kept, copy}, false);
  SubtractCounts(*all, *Counted({copy}, false));
  FlushCounts(*all);
  EXPECT_TRUE(SameTotals(*all, *Counted({kept})));
  // Counts kept apart and summed, one flushed and one not.
  const auto sum = Counted({kept});
  AddCounts(*sum, *Counted({copy}, false));
  FlushCounts(*sum);
  EXPECT_TRUE(SameTotals(*sum, *Counted({kept, copy})));
}

}  // namespace
}  // namespace pivra

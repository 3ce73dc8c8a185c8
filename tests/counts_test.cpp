// The fairness counts of known tables, against a count pair by pair; taking a
// file's counts away again; and pending counters flushed before they overflow.
#include "check/work/counts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <numeric>
#include <random>
#include <vector>

#include "draw/layout.h"
#include "draw/table.h"

namespace pivra {
namespace {

// Ten shuffled blocks, each set sorted, as a valid file holds them.
DrawTable ShuffledTable(std::mt19937& random) {
  DrawTable table{};
  for (unsigned row = 0; row < RowCount; ++row) {
    uint8_t* numbers = TableRow(table, row);
    std::iota(numbers, numbers + RowLength, uint8_t{1});
    std::shuffle(numbers, numbers + RowLength, random);
    for (unsigned s = 0; s < SetsPerBlock; ++s) {
      std::sort(numbers + s * SetSize, numbers + (s + 1) * SetSize);
    }
  }
  return table;
}

// Block b's sets hold 1-8, 9-16, ... in order.
DrawTable OrderedTable() {
  DrawTable table{};
  for (unsigned row = 0; row < RowCount; ++row) {
    std::iota(TableRow(table, row), TableRow(table, row) + RowLength, uint8_t{1});
  }
  return table;
}

std::unique_ptr<FairnessCounts> Counted(const std::vector<DrawTable>& tables) {
  auto counts = std::make_unique<FairnessCounts>();
  for (const DrawTable& table : tables) CountDrawTable(*counts, table);
  FlushCounts(*counts);
  return counts;
}

// The totals alone: what the statistics and the picture read.
void ExpectSameTotals(const FairnessCounts& got, const FairnessCounts& expected) {
  EXPECT_EQ(got.blocks, expected.blocks);
  EXPECT_TRUE(std::equal(&got.by_set[0][0], &got.by_set[0][0] + RowLength * SetsPerBlock,
                         &expected.by_set[0][0]));
  EXPECT_TRUE(std::equal(&got.pairs[0][0], &got.pairs[0][0] + RowLength * RowLength,
                         &expected.pairs[0][0]));
  EXPECT_TRUE(std::equal(got.sums, got.sums + SetSumMax + 1, expected.sums));
}

TEST(Counts, OfShuffledTablesAreThoseCountedPairByPair) {
  std::mt19937 random(5);
  const std::vector<DrawTable> tables = {ShuffledTable(random), ShuffledTable(random),
                                         ShuffledTable(random)};
  const auto counts = Counted(tables);
  const auto expected = std::make_unique<FairnessCounts>();
  for (const DrawTable& table : tables) {
    for (unsigned set = 0; set < SetCount; ++set) {
      const uint8_t* numbers = TableSet(table, set);
      const unsigned s = set % SetsPerBlock;
      for (unsigned k = 0; k < SetSize; ++k) {
        ++expected->by_set[numbers[k] - 1][s];
        for (unsigned m = k + 1; m < SetSize; ++m)
          ++expected->pairs[numbers[k] - 1][numbers[m] - 1];
      }
      // Block b's summed set is its set b.
      if (s == set / SetsPerBlock)
        ++expected->sums[std::accumulate(numbers, numbers + SetSize, 0U)];
    }
    expected->blocks += RowCount;
  }
  ExpectSameTotals(*counts, *expected);
  EXPECT_EQ(std::accumulate(&counts->pairs[0][0], &counts->pairs[0][0] + RowLength * RowLength,
                            uint64_t{0}),
            3U * SetCount * 28);
}

TEST(Counts, OfTheOrderedTablePastTheLimitOfPendingCounters) {
  // 7,000 files raise each counter of a set's numbers by 70,000, past 16 bits.
  constexpr unsigned Files = 7000;
  const auto counts = Counted(std::vector<DrawTable>(Files, OrderedTable()));
  EXPECT_EQ(counts->blocks, uint64_t{Files} * RowCount);
  EXPECT_EQ(counts->by_set[0][0], uint64_t{Files} * RowCount);  // 1 in set 0
  EXPECT_EQ(counts->by_set[79][9], uint64_t{Files} * RowCount);
  EXPECT_EQ(counts->by_set[8][0], 0U);
  EXPECT_EQ(counts->pairs[0][7], uint64_t{Files} * RowCount);  // 1 and 8
  EXPECT_EQ(counts->pairs[7][8], 0U);                          // 8 and 9
  for (unsigned b = 0; b < RowCount; ++b) {
    EXPECT_EQ(counts->sums[64 * b + 36], Files) << b;  // 8b+1 + ... + 8b+8
  }
}

TEST(Counts, AddedAndTakenAwayFlushedOrNotAreExact) {
  std::mt19937 random(6);
  const DrawTable kept = ShuffledTable(random);
  const DrawTable copy = ShuffledTable(random);
  // A copy counted with the rest, its own counts taken away before either is flushed.
  auto all = std::make_unique<FairnessCounts>();
  CountDrawTable(*all, kept);
  CountDrawTable(*all, copy);
  auto copy_alone = std::make_unique<FairnessCounts>();
  CountDrawTable(*copy_alone, copy);
  SubtractCounts(*all, *copy_alone);
  FlushCounts(*all);
  ExpectSameTotals(*all, *Counted({kept}));
  // Summed across workers, one flushed and one not.
  auto sum = std::make_unique<FairnessCounts>();
  AddCounts(*sum, *Counted({kept}));
  AddCounts(*sum, *copy_alone);
  FlushCounts(*sum);
  ExpectSameTotals(*sum, *Counted({kept, copy}));
}

}  // namespace
}  // namespace pivra

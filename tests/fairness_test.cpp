// Each fairness statistic in process, on blocks biased only where it looks.
#include "check/judgement/fairness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <numeric>
#include <random>
#include <string>

#include "check/work/copies.h"
#include "run/draw_table.h"

namespace pivra {
namespace {

constexpr unsigned Blocks = 1000;

// Fisher-Yates on mt19937's own words, whose sequence the standard fixes.
void Shuffle(uint8_t* row, std::mt19937& random) {
  FillAscending(row, RowLength);
  for (unsigned i = RowLength - 1; i > 0; --i) std::swap(row[i], row[random() % (i + 1)]);
}

// Counts `Blocks` blocks, each made by `make_block(row, block)`, as a file's sets.
template <typename MakeBlock>
FairnessReport JudgeBlocks(MakeBlock make_block) {
  const auto counts = std::make_unique<FairnessCounts>();
  DrawTable table{};
  for (unsigned block = 0; block < Blocks; ++block) {
    uint8_t* row = TableRow(table, block % RowCount);
    make_block(row, block);
    for (unsigned s = 0; s < SetsPerBlock; ++s)
      std::sort(row + s * SetSize, row + (s + 1) * SetSize);
    if (block % RowCount == RowCount - 1) CountDrawTable(*counts, table);
  }
  FlushCounts(*counts);
  return JudgeFairness(*counts);
}

unsigned SetSum(const uint8_t* set) { return std::accumulate(set, set + SetSize, 0U); }

TEST(Fairness, PairsSharingASetTooOftenAreFlaggedByThePairTestAlone) {
  std::mt19937 random(24);
  const FairnessReport report = JudgeBlocks([&random](uint8_t* row, unsigned) {
    Shuffle(row, random);
    // 2 joins 1's set, in place of 1's neighbour there: each keeps a fair set position.
    const auto at = [row](uint8_t n) {
      return static_cast<unsigned>(std::find(row, row + RowLength, n) - row);
    };
    const unsigned one = at(1);
    std::swap(row[at(2)], row[one - one % SetSize + (one + 1) % SetSize]);
  });
  EXPECT_TRUE(Flagged(report.pairs));
  EXPECT_FALSE(Flagged(report.by_set));
  EXPECT_FALSE(Flagged(report.set_sum));
}

TEST(Fairness, SetSumsHuddlingAtTheMeanAreFlaggedByTheSetSumTestAlone) {
  std::mt19937 random(24);
  const FairnessReport report = JudgeBlocks([&random](uint8_t* row, unsigned block) {
    // The counted set of each block (turning with the block) sums to within 20 of
    // the mean 324, where a fair set strays 62 on average.
    const uint8_t* counted = row + block % SetsPerBlock * SetSize;
    do {
      Shuffle(row, random);
    } while (SetSum(counted) < 304 || SetSum(counted) > 344);
  });
  EXPECT_TRUE(Flagged(report.set_sum));
  EXPECT_FALSE(Flagged(report.by_set));
  EXPECT_FALSE(Flagged(report.pairs));
}

TEST(Fairness, SetSumWaysCountEveryEightOf80) {
  const std::vector<uint64_t> ways = SetSumWays();
  EXPECT_EQ(std::accumulate(ways.begin(), ways.end(), uint64_t{0}), 28987537150U);  // C(80, 8)
  EXPECT_EQ(ways[SetSum(std::array<uint8_t, SetSize>{1, 2, 3, 4, 5, 6, 7, 8}.data())], 1U);
}

// X2, its scaling and degrees of freedom, and p on fixed counts, against values
// worked out apart (mpmath's regularized incomplete gamma).
TEST(Fairness, StatisticsOfAFixedTableMatchTheirWorkedValues) {
  const auto counts = std::make_unique<FairnessCounts>();
  counts->blocks = 1000;
  for (unsigned n = 0; n < RowLength; ++n) {
    for (unsigned s = 0; s < SetsPerBlock; ++s) counts->by_set[n][s] = (n + s) % 2 ? 90 : 110;
    for (unsigned m = n + 1; m < RowLength; ++m) counts->pairs[n][m] = (n + m) % 2 ? 80 : 98;
  }
  const FairnessReport report = JudgeFairness(*counts);
  EXPECT_DOUBLE_EQ(report.by_set.raw, 800.0);
  EXPECT_DOUBLE_EQ(report.by_set.statistic, 790.0);
  EXPECT_EQ(report.by_set.freedom, 711.0);
  EXPECT_NEAR(report.by_set.p, 0.0206966454, 1e-9);
  EXPECT_NEAR(report.pairs.raw, 3172.0631746, 1e-6);
  EXPECT_NEAR(report.pairs.statistic, 3091.7577778, 1e-6);
  EXPECT_EQ(report.pairs.freedom, 3080.0);
  EXPECT_NEAR(report.pairs.p, 0.4371853326, 1e-9);
  // All three judged and none flagged, or the draws do not look fair.
  FairnessReport passing = report;
  passing.by_set.p = passing.set_sum.p = 0.5;
  passing.set_sum.judged = true;
  EXPECT_TRUE(DrawsLookFair(passing));
  passing.set_sum.judged = false;
  EXPECT_FALSE(DrawsLookFair(passing));
}

TEST(CopyDetector, KnowsThePlaceOfEveryFileSeenBeforeAsTheTableGrows) {
  CopyDetector copies{};
  for (unsigned i = 0; i < 5000; ++i) {  // every other place held no file counted
    EXPECT_EQ(OriginalOf(copies, 2 * i, Fingerprint(std::to_string(i))), NoOriginal) << i;
  }
  for (unsigned i = 0; i < 5000; ++i) {
    EXPECT_EQ(OriginalOf(copies, 10000 + i, Fingerprint(std::to_string(i))), 2 * i) << i;
  }
}

}  // namespace
}  // namespace pivra

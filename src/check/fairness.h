// The fairness of many draw files judged together: counts gathered block by block,
// then three chi-squared tests of them.
#pragma once

#include <cstdint>
#include <vector>

#include "draw/table.h"

namespace pivra {

constexpr unsigned SetSumMax = 612;  // 73 + 74 + ... + 80
constexpr double FairnessAlpha = 0.001;

struct FairnessCounts {
  uint64_t blocks;
  uint64_t by_set[RowLength][SetsPerBlock];  // [n - 1][s]: blocks with n in set s
  uint64_t pairs[RowLength][RowLength];      // [i - 1][j - 1], i < j: blocks with i, j in one set
  uint64_t sums[SetSumMax + 1];              // one counted set per block, by its sum
};

// Adds a valid file's ten blocks.
void CountDrawTable(FairnessCounts& counts, const DrawTable& sets);

struct TestResult {
  bool judged;       // false when the sample is too small for this test
  double raw;        // Pearson's X2
  double statistic;  // X2 scaled to follow chi-squared with `freedom` degrees
  double freedom;
  double p;
};

struct FairnessReport {
  uint64_t blocks;
  uint64_t min_blocks;  // fewer than these and no test is judged
  TestResult by_set;
  TestResult pairs;
  TestResult set_sum;
};

FairnessReport JudgeFairness(const FairnessCounts& counts);

bool Flagged(const TestResult& test);

// Whether all three tests were judged and none flags the draws.
bool DrawsLookFair(const FairnessReport& report);

// How many ways eight distinct numbers of 1..80 reach each sum, by sum.
std::vector<uint64_t> SetSumWays();

// (C - B/10) / sqrt(B/10) for number n (1..80) and set s (0..9).
double BySetResidual(const FairnessCounts& counts, unsigned n, unsigned s);

}  // namespace pivra

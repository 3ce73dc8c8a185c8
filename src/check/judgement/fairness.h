// The fairness of many draw files judged together: three chi-squared tests of
// their counts.
#pragma once

#include <cstdint>
#include <vector>

#include "check/work/counts.h"

namespace pivra {

constexpr double FairnessAlpha = 0.001;

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

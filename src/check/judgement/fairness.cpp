#include "check/judgement/fairness.h"

#include <algorithm>
#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/complement.hpp>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <numeric>
#include <vector>

#include "check/work/counts.h"
#include "draw/layout.h"

namespace pivra {
namespace {

// Chi-squared holds only where every cell expects at least this many.
constexpr double MinExpected = 5.0;

// A block's margins are fixed (each number in one set, eight numbers a set), so
// X2 x 79/80 follows chi-squared with 79 x 9 = 711 degrees of freedom.
constexpr double BySetScale = 79.0 / 80.0;
constexpr double BySetFreedom = 711.0;

// Two numbers share one of a block's sets with chance 7/79. The 3,160 pair counts
// hang together: X2 x 77/79 follows chi-squared with 3,160 - 80 = 3,080 degrees.
constexpr double PairShare = 7.0 / 79.0;
constexpr double PairScale = 77.0 / 79.0;
constexpr double PairFreedom = 3080.0;

double UpperTail(double statistic, double freedom) {
  namespace bm = boost::math;
  return bm::cdf(bm::complement(bm::chi_squared(freedom), statistic));
}

TestResult Judged(double raw, double scale, double freedom) {
  const double statistic = raw * scale;
  return {true, raw, statistic, freedom, UpperTail(statistic, freedom)};
}

TestResult BySetTest(const FairnessCounts& counts) {
  const double expected = static_cast<double>(counts.blocks) / SetsPerBlock;
  double x2 = 0;
  for (const uint64_t(&row)[SetsPerBlock] : counts.by_set) {
    for (const uint64_t count : row) {
      const double d = static_cast<double>(count) - expected;
      x2 += d * d / expected;
    }
  }
  return Judged(x2, BySetScale, BySetFreedom);
}

TestResult PairTest(const FairnessCounts& counts) {
  const auto blocks = static_cast<double>(counts.blocks);
  const double expected = blocks * PairShare;
  const double variance = expected * (1 - PairShare);
  double x2 = 0;
  for (unsigned i = 0; i < RowLength; ++i) {
    for (unsigned j = i + 1; j < RowLength; ++j) {
      const double d = static_cast<double>(counts.pairs[i][j]) - expected;
      x2 += d * d / variance;
    }
  }
  return Judged(x2, PairScale, PairFreedom);
}

// Neighbouring sums merged from the low end until each bin expects enough; a
// short tail joins the last bin.
TestResult SetSumTest(const FairnessCounts& counts) {
  const std::vector<uint64_t> ways = SetSumWays();
  const auto all_ways = static_cast<double>(std::accumulate(ways.begin(), ways.end(), uint64_t{0}));
  std::vector<double> expected;
  std::vector<double> observed;
  double e = 0;
  double o = 0;
  for (unsigned sum = 0; sum <= SetSumMax; ++sum) {
    e += static_cast<double>(counts.blocks) * static_cast<double>(ways[sum]) / all_ways;
    o += static_cast<double>(counts.sums[sum]);
    if (e >= MinExpected) {
      expected.push_back(e);
      observed.push_back(o);
      e = o = 0;
    }
  }
  if (expected.size() < 2) return {};
  expected.back() += e;
  observed.back() += o;
  double x2 = 0;
  for (std::size_t bin = 0; bin < expected.size(); ++bin) {
    const double d = observed[bin] - expected[bin];
    x2 += d * d / expected[bin];
  }
  return Judged(x2, 1.0, static_cast<double>(expected.size() - 1));
}

}  // namespace

FairnessReport JudgeFairness(const FairnessCounts& counts) {
  FairnessReport report{};
  report.blocks = counts.blocks;
  // The pair cells expect the least: B x 7/79 of them at least 5.
  report.min_blocks = static_cast<uint64_t>(std::ceil(MinExpected / PairShare));
  if (counts.blocks < report.min_blocks) return report;
  report.by_set = BySetTest(counts);
  report.pairs = PairTest(counts);
  report.set_sum = SetSumTest(counts);
  return report;
}

bool Flagged(const TestResult& test) { return test.judged && test.p < FairnessAlpha; }

bool DrawsLookFair(const FairnessReport& report) {
  const TestResult* const tests[] = {&report.by_set, &report.pairs, &report.set_sum};
  return std::all_of(std::begin(tests), std::end(tests),
                     [](const TestResult* test) { return test->judged && !Flagged(*test); });
}

std::vector<uint64_t> SetSumWays() {
  std::vector<std::vector<uint64_t>> ways(SetSize + 1, std::vector<uint64_t>(SetSumMax + 1));
  ways[0][0] = 1;
  for (unsigned v = 1; v <= RowLength; ++v) {
    for (unsigned k = SetSize; k >= 1; --k) {
      for (unsigned sum = SetSumMax; sum >= v; --sum) ways[k][sum] += ways[k - 1][sum - v];
    }
  }
  return ways[SetSize];
}

double BySetResidual(const FairnessCounts& counts, unsigned n, unsigned s) {
  const double expected = static_cast<double>(counts.blocks) / SetsPerBlock;
  if (expected == 0) return 0;
  return (static_cast<double>(counts.by_set[n - 1][s]) - expected) / std::sqrt(expected);
}

}  // namespace pivra

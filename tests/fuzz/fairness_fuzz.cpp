// The fairness statistics, picture and report on up to 70 valid files drawn from
// the input's bytes: an input of few or repeated bytes gives heavily biased
// tables, and the counts are scaled by up to 2^47, as an archive far larger than
// any test could hold. Every p must lie in [0, 1], and the picture hold no nan or inf.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "check/judgement/fairness.h"
#include "check/report/fairness_text.h"
#include "check/report/heat_map.h"
#include "draw/layout.h"
#include "draw/table.h"
#include "run/draw_table.h"  // filling and sorting rows as the run does

namespace {

// The input's bytes, round and round; zeros when there are none.
struct Bytes {
  const uint8_t* data;
  std::size_t size;
  std::size_t next;
};

unsigned Next(Bytes& bytes) {
  if (bytes.size == 0) return 0;
  if (bytes.next == bytes.size) bytes.next = 0;
  return bytes.data[bytes.next++];
}

void CheckTest(const pivra::TestResult& test) {
  if (!(test.p >= 0 && test.p <= 1)) std::abort();
  if (test.judged && !std::isfinite(test.statistic)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  Bytes bytes{data, size, 0};
  const unsigned files = Next(bytes) % 70 + 1;
  const unsigned scale = Next(bytes) % 48;
  const auto counts = std::make_unique<pivra::FairnessCounts>();
  pivra::DrawTable table{};
  for (unsigned file = 0; file < files; ++file) {
    for (unsigned row = 0; row < pivra::RowCount; ++row) {
      uint8_t* numbers = pivra::TableRow(table, row);
      pivra::FillAscending(numbers, pivra::RowLength);
      for (unsigned i = pivra::RowLength - 1; i > 0; --i) {
        std::swap(numbers[i], numbers[Next(bytes) % (i + 1)]);
      }
    }
    for (unsigned set = 0; set < pivra::SetCount; ++set) {
      pivra::SortSet(pivra::TableSet(table, set), pivra::SetSize);
    }
    pivra::CountDrawTable(*counts, table);
  }
  pivra::FlushCounts(*counts);
  counts->blocks <<= scale;
  for (auto& row : counts->by_set) {
    for (uint64_t& count : row) count <<= scale;
  }
  for (auto& row : counts->pairs) {
    for (uint64_t& count : row) count <<= scale;
  }
  for (uint64_t& count : counts->sums) count <<= scale;

  const pivra::FairnessReport report = pivra::JudgeFairness(*counts);
  CheckTest(report.by_set);
  CheckTest(report.pairs);
  CheckTest(report.set_sum);
  const std::string svg = pivra::HeatMapSvg(*counts, report);
  if (svg.find("nan") != std::string::npos || svg.find("inf") != std::string::npos) std::abort();
  // A list given up partway: the report must still hold together.
  const std::string cut_short =
      scale % 2 ? "it was given up after 100 faulty entries in a row" : "";
  pivra::Judgement judgement{};
  judgement.report = report;
  judgement.counted = files;
  judgement.list_faulty = !cut_short.empty();
  judgement.names_read = files;
  judgement.cut_short = cut_short;
  pivra::PrintFairness(judgement);
  return 0;
}

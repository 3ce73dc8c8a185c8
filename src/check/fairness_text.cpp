#include "check/fairness_text.h"

#include <cstdio>
#include <string>
#include <vector>

#include "check/fairness.h"
#include "run/draw_layout.h"

namespace pivra {
namespace {

std::string PValue(double p) {
  char text[32];
  if (p < 1e-300) return "< 1e-300";
  (void)std::snprintf(text, sizeof text, "= %.4g", p);
  return text;
}

void PrintTest(const char* name, const TestResult& test, const std::string& how) {
  std::printf("%s: chi2 = %.2f, df = %.0f, p %s (%s)\n", name, test.statistic, test.freedom,
              PValue(test.p).c_str(), how.c_str());
  if (!test.judged) {
    std::printf("  too small to judge\n");
  } else if (Flagged(test)) {
    std::printf("  FLAGGED: under fair draws a deviation this large has p < %g\n", FairnessAlpha);
  } else {
    std::printf("  pass: no sign of unfairness at alpha = %g\n", FairnessAlpha);
  }
}

// The tests and the verdict; true when they find nothing against the draws.
bool PrintJudgement(const FairnessReport& report) {
  if (report.blocks < report.min_blocks) {
    std::printf("Too small to judge: the tests need at least %llu blocks (%llu files).\n",
                static_cast<unsigned long long>(report.min_blocks),
                static_cast<unsigned long long>((report.min_blocks + RowCount - 1) / RowCount));
    return false;
  }
  char how[64];
  (void)std::snprintf(how, sizeof how, "X2 = %.2f scaled by 79/80", report.by_set.raw);
  PrintTest("number by set position", report.by_set, how);
  (void)std::snprintf(how, sizeof how, "X2 = %.2f scaled by 77/79", report.pairs.raw);
  PrintTest("pairs in one set", report.pairs, how);
  (void)std::snprintf(how, sizeof how, "one set per block, %.0f bins", report.set_sum.freedom + 1);
  PrintTest("set sum", report.set_sum, how);
  const int flagged = static_cast<int>(Flagged(report.by_set)) +
                      static_cast<int>(Flagged(report.pairs)) +
                      static_cast<int>(Flagged(report.set_sum));
  if (flagged == 0) {
    std::printf("Verdict: no test flags these draws at alpha = %g.\n", FairnessAlpha);
  } else {
    std::printf("Verdict: FLAGGED by %d of 3 tests at alpha = %g: these draws do not look fair.\n",
                flagged, FairnessAlpha);
  }
  return flagged == 0 && report.set_sum.judged;
}

std::string Files(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " file" : " files");
}

// The verdict explains a status of 1 by itself. Skipped and unreadable files
// need a line of their own, or a clean verdict would stand beside status 1 or 2.
void PrintStatusReason(const JudgedFiles& files) {
  std::vector<std::string> trouble;
  if (files.unreadable != 0) trouble.push_back(Files(files.unreadable) + " could not be read");
  if (files.list_faulty) trouble.emplace_back("the list of names is faulty");
  if (files.picture_failed) trouble.emplace_back("the picture could not be written");
  std::string skipped;
  if (!files.skipped.empty()) skipped = Files(files.skipped.size()) + " skipped, listed above";
  if (!trouble.empty()) {
    std::string why = trouble[0];
    for (std::size_t i = 1; i < trouble.size(); ++i) why += ", " + trouble[i];
    why += " (see standard error)";
    if (!skipped.empty()) why += "; " + skipped;
    std::printf("Exit status 2: %s.\n", why.c_str());
  } else if (!skipped.empty()) {
    std::printf("Exit status 1: %s.\n", skipped.c_str());
  }
}

}  // namespace

bool PrintFairness(const FairnessReport& report, const JudgedFiles& files) {
  std::printf("Fairness of %s, %llu blocks; %zu skipped.\n", Files(files.counted).c_str(),
              static_cast<unsigned long long>(report.blocks), files.skipped.size());
  for (const std::string& line : files.skipped) std::printf("skipped %s\n", line.c_str());
  const bool fair = PrintJudgement(report);
  PrintStatusReason(files);
  return fair;
}

}  // namespace pivra

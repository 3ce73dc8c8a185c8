#include "check/report/fairness_text.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "check/command/exit_status.h"
#include "check/input/system.h"
#include "check/judgement/fairness.h"
#include "check/report/skipped.h"
#include "draw/layout.h"

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

// The tests and the verdict, on the names judged alone where the list was cut short.
void PrintTests(const FairnessReport& report, const std::string& verdict) {
  if (report.blocks < report.min_blocks) {
    std::printf("Too small to judge: the tests need at least %llu blocks (%llu files).\n",
                static_cast<unsigned long long>(report.min_blocks),
                static_cast<unsigned long long>((report.min_blocks + RowCount - 1) / RowCount));
    return;
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
    std::printf("%s: no test flags these draws at alpha = %g.\n", verdict.c_str(), FairnessAlpha);
  } else {
    std::printf("%s: FLAGGED by %d of 3 tests at alpha = %g: these draws do not look fair.\n",
                verdict.c_str(), flagged, FairnessAlpha);
  }
}

std::string Files(uint64_t count) {
  return std::to_string(count) + (count == 1 ? " file" : " files");
}

// "NAME: why": a fault, or the file a copy copies; a listed name that could
// not be found again is named by its entry.
std::string SkippedLine(std::string_view name, std::string_view fault, uint64_t original,
                        std::string_view original_name) {
  std::string line = EscapedName(name) + ": ";
  if (!fault.empty()) return line.append(fault);
  if (!original_name.empty()) return line + "a copy of " + EscapedName(original_name);
  return line + "a copy of entry " + std::to_string(original + 1) + " of the list";
}

// The verdict explains a status of 1 by itself. Skipped and unreadable files
// need a line of their own, or a clean verdict would stand beside status 1 or 2.
void PrintStatusReason(const Judgement& files, int status) {
  std::vector<std::string> trouble;
  if (files.unreadable != 0) trouble.push_back(Files(files.unreadable) + " could not be read");
  if (files.list_faulty) trouble.emplace_back("the list of names is faulty");
  if (files.picture_failed) trouble.emplace_back("the picture could not be written");
  if (files.skipped.lost != 0) {
    trouble.push_back("the lines of " + Files(files.skipped.lost) + " skipped could not be kept");
  }
  std::string skipped;
  if (files.skipped.count != 0) skipped = Files(files.skipped.count) + " skipped, listed above";
  if (files.skipped.lost != 0) {
    skipped = Files(files.skipped.count) + " skipped, " +
              std::to_string(files.skipped.count - files.skipped.lost) + " of them listed above";
  }
  if (status == StatusTrouble) {
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

int JudgementStatus(const Judgement& judgement) {
  if (judgement.unreadable != 0 || judgement.list_faulty || judgement.picture_failed ||
      judgement.skipped.lost != 0) {
    return StatusTrouble;
  }
  return DrawsLookFair(judgement.report) && judgement.skipped.count == 0 ? StatusValid
                                                                         : StatusInvalid;
}

void PrintFairness(Judgement& judgement) {
  const FairnessReport& report = judgement.report;
  std::printf("Fairness of %s, %llu blocks; %llu skipped.\n", Files(judgement.counted).c_str(),
              static_cast<unsigned long long>(report.blocks),
              static_cast<unsigned long long>(judgement.skipped.count));
  // A verdict on part of an archive must not read as one on all of it.
  std::string verdict = "Verdict";
  if (!judgement.cut_short.empty()) {
    const std::string names = std::to_string(judgement.names_read);
    std::printf("Cut short: only the first %s names of the list were judged; %s.\n", names.c_str(),
                judgement.cut_short.c_str());
    verdict = "Verdict on the first " + names + " names alone";
  }
  EachSkipped(judgement.skipped, [](std::string_view name, std::string_view fault,
                                    uint64_t original, std::string_view original_name) {
    std::printf("skipped %s\n", SkippedLine(name, fault, original, original_name).c_str());
  });
  if (judgement.skipped.lost != 0) {
    std::printf("skipped %s more, not listed (see standard error).\n",
                Files(judgement.skipped.lost).c_str());
  }
  PrintTests(report, verdict);
  PrintStatusReason(judgement, JudgementStatus(judgement));
}

}  // namespace pivra

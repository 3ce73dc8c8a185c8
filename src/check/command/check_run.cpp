#include "check/command/check_run.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "check/command/arguments.h"
#include "check/command/exit_status.h"
#include "check/input/files.h"
#include "check/input/names.h"
#include "check/input/system.h"
#include "check/judgement/fairness.h"
#include "check/report/fairness_text.h"
#include "check/report/heat_map.h"
#include "check/report/progress.h"
#include "check/report/skipped.h"
#include "check/work/copies.h"
#include "check/work/counts.h"
#include "check/work/draw_check.h"
#include "check/work/workers.h"

namespace pivra {
namespace {

// The first failed write's code: reading files resets errno before the end,
// where the failure is reported.
int g_output_error = 0;

void WatchOutput() {
  if (g_output_error == 0 && std::ferror(stdout) != 0) g_output_error = LastError();
}

// A list of lines, not of NUL-ended names, reads as one name that opens nothing,
// and the system's "No such file" alone does not say why.
void ReportUnreadable(const Names& names, const std::string& name, int code, bool& hinted) {
  ReportFileError(name.c_str(), code);
  if (!names.from_list || hinted || name.find('\n') == std::string::npos) return;
  (void)std::fprintf(stderr, "pivra-check: %s\n", NamesEndWithNul);
  hinted = true;
}

// Names the file each copy copies: an operand as given; a listed name read from
// the list again, where the file there is a regular one that still has the bytes
// counted; else none, and the report gives the number of its entry: a pipe is
// read only once, and a FIFO would keep the report waiting for a writer.
void NameOriginals(Names& names, const CopyDetector& copies, SkippedFiles& skipped) {
  const std::vector<uint64_t> places = CopiedPlaces(skipped);
  if (places.empty()) return;
  if (!names.from_list) {
    for (const uint64_t place : places) {
      NameOriginal(skipped, (*names.operands)[static_cast<std::size_t>(place)]);
    }
    return;
  }
  const auto file = std::make_unique<FileBytes>();
  std::size_t next = 0;
  (void)ListedNamesAt(names, places, [&](const std::string& name) {
    const bool same = IsRegularFile(name.c_str()) && ReadDrawFile(name.c_str(), *file) == 0 &&
                      SameAsRemembered(copies, places[next++], BytesOf(*file));
    NameOriginal(skipped, same ? name : std::string());
  });
}

int CheckFiles(const Options& options) {
  Names names{};
  if (!OpenNames(names, options.files, options.files0_from)) return StatusTrouble;
  int status = StatusValid;
  bool hinted = false;
  WorkOnEachFile(names, {nullptr}, [&](const FileWork& file) {
    if (file.read_code != 0) {
      std::printf("%s: FAILED open or read\n", EscapedName(file.name).c_str());
      ReportUnreadable(names, file.name, file.read_code, hinted);
      status = StatusTrouble;
    } else if (file.fault.line == 0) {
      if (!options.quiet) std::printf("%s: OK\n", EscapedName(file.name).c_str());
    } else {
      std::printf("%s: FAILED %s\n", EscapedName(file.name).c_str(),
                  DescribeFault(file.fault).c_str());
      if (status == StatusValid) status = StatusInvalid;
    }
    WatchOutput();
  });
  return CloseNames(names) ? StatusTrouble : status;
}

int JudgeFiles(const Options& options) {
  Names names{};
  // Beyond that many, the copy detector could not tell the places apart.
  if (!OpenNames(names, options.files, options.files0_from, MostPlaces)) return StatusTrouble;
  const auto counts = std::make_unique<FairnessCounts>();
  const auto copied = std::make_unique<FairnessCounts>();  // counted, to be taken out again
  Judgement judgement{};
  StartSkipped(judgement.skipped);
  CopyDetector copies{};
  bool hinted = false;
  StartProgress();
  const uint64_t total = names.from_list ? 0 : options.files.size();
  uint64_t read = 0;
  WorkOnEachFile(names, {counts.get()}, [&](const FileWork& file) {
    if (file.read_code != 0) {
      ReportUnreadable(names, file.name, file.read_code, hinted);
      ++judgement.unreadable;
    } else if (file.fault.line != 0) {
      AddSkipped(judgement.skipped, file.name, DescribeFault(file.fault), NoOriginal);
    } else if (const uint64_t original = OriginalOf(copies, file.place, file.fingerprint);
               original != NoOriginal) {
      // Two runs never draw the same file: a second one is a copy, and counting
      // it twice would make fair draws look unfair.
      AddSkipped(judgement.skipped, file.name, {}, original);
      CountDrawTable(*copied, file.sets);
    } else {
      ++judgement.counted;
    }
    ShowProgress(++read, total);
  });
  HideProgress();
  SubtractCounts(*counts, *copied);
  // A list that named no file leaves nothing to judge: its error is the whole report.
  if (read == 0) {
    (void)CloseNames(names);
    return StatusTrouble;
  }
  NameOriginals(names, copies, judgement.skipped);
  judgement.names_read = names.from_list ? names.entries : read;
  judgement.cut_short = names.cut_short;
  judgement.list_faulty = CloseNames(names);
  FlushCounts(*counts);
  judgement.report = JudgeFairness(*counts);
  if (options.svg != nullptr) {
    if (const int code = WriteWholeFile(options.svg, HeatMapSvg(*counts, judgement.report));
        code != 0) {
      ReportFileError(options.svg, code);
      judgement.picture_failed = true;
    }
  }
  PrintFairness(judgement);
  WatchOutput();
  EndSkipped(judgement.skipped);
  return JudgementStatus(judgement);
}

int Run(int argc, const char* const* argv) {
  Options options;
  if (!ParseArguments(argc, argv, options)) return StatusTrouble;
  int status = StatusValid;
  if (options.help) {
    (void)std::fputs(Usage, stdout);
  } else if (options.version) {
    (void)std::printf("pivra-check %s\n", PIVRA_VERSION);
  } else {
    status = options.fairness ? JudgeFiles(options) : CheckFiles(options);
  }
  // A report that did not reach its reader is no success.
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    WatchOutput();
    (void)std::fprintf(stderr, "pivra-check: standard output: %s\n", std::strerror(g_output_error));
    status = StatusTrouble;
  }
  return status;
}

}  // namespace

int RunCheck(int argc, const char* const* argv) {
  try {
    return Run(argc, argv);
  } catch (const std::bad_alloc&) {
    // What was printed stays; what was not is not printed in part.
    (void)std::fflush(stdout);
    HideProgress();
    (void)std::fputs("pivra-check: out of memory\n", stderr);
    return StatusTrouble;
  }
}

}  // namespace pivra

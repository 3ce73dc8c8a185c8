#include "check/command/check_run.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "check/command/arguments.h"
#include "check/command/exit_status.h"
#include "check/input/each_file.h"
#include "check/input/files.h"
#include "check/input/name_list.h"
#include "check/input/names.h"
#include "check/input/system.h"
#include "check/judgement/fairness.h"
#include "check/report/fairness_text.h"
#include "check/report/heat_map.h"
#include "check/report/progress.h"
#include "check/work/copies.h"
#include "check/work/counts.h"
#include "check/work/draw_check.h"
#include "draw/table.h"

namespace pivra {
namespace {

// A list of lines, not of NUL-ended names, reads as one name that opens nothing,
// and the system's "No such file" alone does not say why.
void ReportUnreadable(const Names& names, const std::string& name, int code, bool& hinted) {
  ReportFileError(name.c_str(), code);
  if (!names.from_list || hinted || name.find('\n') == std::string::npos) return;
  (void)std::fprintf(stderr, "pivra-check: %s\n", NamesEndWithNul);
  hinted = true;
}

// Names the file each copy copies: an operand as given; a listed name read from
// the list again, where the file there still has the bytes counted; else, as a
// pipe is read only once, none, and the report gives the number of its entry.
void NameOriginals(Names& names, const CopyDetector& copies, std::vector<SkippedFile>& skipped) {
  std::vector<uint64_t> places;
  for (const SkippedFile& file : skipped) {
    if (file.fault.empty()) places.push_back(file.original);
  }
  if (places.empty()) return;
  std::sort(places.begin(), places.end());
  places.erase(std::unique(places.begin(), places.end()), places.end());
  std::vector<std::string> originals;
  if (!names.from_list) {
    originals.resize(places.size());
    std::transform(places.begin(), places.end(), originals.begin(), [&names](uint64_t place) {
      return (*names.operands)[static_cast<std::size_t>(place)];
    });
  } else if (!names.rereadable || !ListedNamesAt(names.list, names.list_start, places, originals)) {
    return;  // names read halfway were not checked
  } else {
    std::string bytes;
    DrawTable sets{};
    for (std::size_t i = 0; i < originals.size(); ++i) {
      if (ReadAndCheck(originals[i].c_str(), bytes, sets).read_code != 0 ||
          !SameAsRemembered(copies, places[i], bytes)) {
        originals[i].clear();
      }
    }
  }
  for (SkippedFile& file : skipped) {
    if (!file.fault.empty()) continue;
    const auto at = std::lower_bound(places.begin(), places.end(), file.original) - places.begin();
    file.original_name = originals[static_cast<std::size_t>(at)];
  }
}

int CheckFiles(const Options& options) {
  Names names{};
  if (!OpenNames(names, options)) return StatusTrouble;
  int status = StatusValid;
  bool hinted = false;
  DrawTable sets{};
  ReadEachFile(names, [&](const FileRead& file) {
    const std::string escaped = EscapedName(file.name);
    if (file.read_code != 0) {
      std::printf("%s: FAILED open or read\n", escaped.c_str());
      ReportUnreadable(names, file.name, file.read_code, hinted);
      status = StatusTrouble;
    } else if (const FileFault fault = CheckDrawFile(file.bytes, sets); fault.line == 0) {
      if (!options.quiet) std::printf("%s: OK\n", escaped.c_str());
    } else {
      std::printf("%s: FAILED %s\n", escaped.c_str(), DescribeFault(fault).c_str());
      if (status == StatusValid) status = StatusInvalid;
    }
  });
  return CloseNames(names) ? StatusTrouble : status;
}

int JudgeFiles(const Options& options) {
  Names names{};
  // Beyond that many, the copy detector could not tell the places apart.
  if (!OpenNames(names, options, MostPlaces)) return StatusTrouble;
  DrawTable sets{};
  const auto counts = std::make_unique<FairnessCounts>();
  Judgement judgement{};
  CopyDetector copies{};
  bool hinted = false;
  StartProgress();
  const uint64_t total = names.from_list ? 0 : options.files.size();
  uint64_t read = 0;
  ReadEachFile(names, [&](const FileRead& file) {
    if (file.read_code != 0) {
      ReportUnreadable(names, file.name, file.read_code, hinted);
      ++judgement.unreadable;
    } else if (const FileFault fault = CheckDrawFile(file.bytes, sets); fault.line != 0) {
      judgement.skipped.push_back({file.name, DescribeFault(fault), NoOriginal, {}});
    } else if (const uint64_t original = OriginalOf(copies, file.place, file.bytes);
               original != NoOriginal) {
      // Two runs never draw the same file: a second one is a copy, and counting
      // it twice would make fair draws look unfair.
      judgement.skipped.push_back({file.name, {}, original, {}});
    } else {
      CountDrawTable(*counts, sets);
      ++judgement.counted;
    }
    ShowProgress(++read, total);
  });
  HideProgress();
  // A list that named no file leaves nothing to judge: its error is the whole report.
  if (read == 0) {
    (void)CloseNames(names);
    return StatusTrouble;
  }
  NameOriginals(names, copies, judgement.skipped);
  judgement.names_read = names.from_list ? names.list.entries : read;
  judgement.cut_short = names.list.cut_short;
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
  return JudgementStatus(judgement);
}

}  // namespace

int RunCheck(int argc, const char* const* argv) {
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
    (void)std::fprintf(stderr, "pivra-check: standard output: %s\n", std::strerror(LastError()));
    status = StatusTrouble;
  }
  return status;
}

}  // namespace pivra

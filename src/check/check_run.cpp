#include "check/check_run.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <numeric>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "check/draw_check.h"
#include "check/fairness.h"
#include "check/fairness_text.h"
#include "check/files.h"
#include "check/heat_map.h"

namespace pivra {
namespace {

constexpr int StatusValid = 0;
constexpr int StatusInvalid = 1;
constexpr int StatusTrouble = 2;  // a usage error, or a file that cannot be read or written

constexpr const char* Usage =
    "usage: pivra-check [-q] FILE...\n"
    "       pivra-check --fairness [--svg OUT.svg] FILE...\n"
    "       pivra-check --help | --version\n";

struct Options {
  bool help = false;
  bool version = false;
  bool quiet = false;
  bool fairness = false;
  const char* svg = nullptr;
  std::vector<const char*> files;
};

bool UsageError(const char* problem, const char* what = "") {
  (void)std::fprintf(stderr, "pivra-check: %s%s\n%s", problem, what, Usage);
  return false;
}

bool EndsWithSvg(std::string_view name) {
  if (name.size() < 4) return false;
  std::string end(name.substr(name.size() - 4));
  for (char& c : end) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return end == ".svg";
}

bool ParseArguments(int argc, const char* const* argv, Options& options) {
  bool only_files = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (only_files || arg.size() < 2 || arg[0] != '-') {
      options.files.push_back(argv[i]);
    } else if (arg == "--") {
      only_files = true;
    } else if (arg == "--help") {
      options.help = true;
      return true;
    } else if (arg == "--version") {
      options.version = true;
      return true;
    } else if (arg == "-q") {
      options.quiet = true;
    } else if (arg == "--fairness") {
      options.fairness = true;
    } else if (arg == "--svg") {
      if (i + 1 == argc) return UsageError("--svg needs a file name");
      options.svg = argv[++i];
    } else if (arg.starts_with("--svg=")) {
      options.svg = argv[i] + 6;
    } else {
      return UsageError("unknown option ", argv[i]);
    }
  }
  if (options.files.empty()) return UsageError("no file given");
  if (options.svg != nullptr && !options.fairness) return UsageError("--svg needs --fairness");
  // The picture replaces whatever has its name: with the name forgotten,
  // "--svg *.TXT" would write it over a draw file.
  if (options.svg != nullptr && !EndsWithSvg(options.svg)) {
    return UsageError("--svg wants a name ending in .svg, not ", options.svg);
  }
  return true;
}

int CheckFiles(const Options& options) {
  int status = StatusValid;
  std::string bytes;
  DrawTable sets{};
  for (const char* name : options.files) {
    const std::string escaped = EscapedName(name);
    const FileOutcome outcome = ReadAndCheck(name, bytes, sets);
    if (outcome.read_code != 0) {
      std::printf("%s: FAILED open or read\n", escaped.c_str());
      ReportFileError(name, outcome.read_code);
      status = StatusTrouble;
    } else if (outcome.fault.line == 0) {
      if (!options.quiet) std::printf("%s: OK\n", escaped.c_str());
    } else {
      std::printf("%s: FAILED %s\n", escaped.c_str(), DescribeFault(outcome.fault).c_str());
      if (status == StatusValid) status = StatusInvalid;
    }
  }
  return status;
}

// FNV-1a over the whole file: to know a copy of a file already counted.
uint64_t Fingerprint(std::string_view bytes) {
  return std::accumulate(bytes.begin(), bytes.end(), uint64_t{14695981039346656037U},
                         [](uint64_t hash, char c) {
                           return (hash ^ static_cast<unsigned char>(c)) * 1099511628211U;
                         });
}

int JudgeFiles(const Options& options) {
  int status = StatusValid;
  std::string bytes;
  DrawTable sets{};
  const auto counts = std::make_unique<FairnessCounts>();
  std::vector<std::string> skipped;
  std::unordered_set<uint64_t> counted;
  std::size_t valid = 0;
  for (const char* name : options.files) {
    const FileOutcome outcome = ReadAndCheck(name, bytes, sets);
    if (outcome.read_code != 0) {
      ReportFileError(name, outcome.read_code);
      status = StatusTrouble;
      continue;
    }
    if (outcome.fault.line != 0) {
      skipped.push_back(EscapedName(name) + ": " + DescribeFault(outcome.fault));
      continue;
    }
    // Two runs never draw the same file: a second one is a copy, and counting
    // it twice would make fair draws look unfair.
    if (!counted.insert(Fingerprint(bytes)).second) {
      skipped.push_back(EscapedName(name) + ": a copy of a file already counted");
      continue;
    }
    CountDrawTable(*counts, sets);
    ++valid;
  }
  const FairnessReport report = JudgeFairness(*counts);
  const bool fair = PrintFairness(report, valid, skipped);
  if (status == StatusValid && (!fair || !skipped.empty())) status = StatusInvalid;
  if (options.svg != nullptr) {
    if (const int code = WriteWholeFile(options.svg, HeatMapSvg(*counts, report)); code != 0) {
      ReportFileError(options.svg, code);
      status = StatusTrouble;
    }
  }
  return status;
}

}  // namespace

int RunCheck(int argc, const char* const* argv) {
  Options options;
  if (!ParseArguments(argc, argv, options)) return StatusTrouble;
  int status = StatusValid;
  if (options.help) {
    (void)std::fputs(Usage, stdout);
  } else if (options.version) {
    (void)std::fputs("pivra-check " PIVRA_VERSION "\n", stdout);
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

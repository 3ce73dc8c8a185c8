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

int LastError() { return errno != 0 ? errno : EIO; }

// Reads as much of `name` as judging it takes: one byte more than a draw file
// shows a longer one. 0 on success, or the system's error code.
int ReadDrawFile(const char* name, std::string& bytes) {
  bytes.resize(DrawFileSize + 1);
  errno = 0;
  std::FILE* file = std::fopen(name, "rb");
  if (file == nullptr) return LastError();
  (void)std::setvbuf(file, nullptr, _IONBF, 0);  // read straight into `bytes`
  const std::size_t size = std::fread(bytes.data(), 1, bytes.size(), file);
  const int code = std::ferror(file) != 0 ? LastError() : 0;
  (void)std::fclose(file);  // read only: nothing to lose
  bytes.resize(size);
  return code;
}

int WriteWholeFile(const char* name, const std::string& text) {
  errno = 0;
  std::FILE* file = std::fopen(name, "wb");
  if (file == nullptr) return LastError();
  int code = std::fwrite(text.data(), 1, text.size(), file) == text.size() ? 0 : LastError();
  if (std::fclose(file) != 0 && code == 0) code = LastError();
  return code;
}

// A name as sha256sum prints it: a backslash, CR or LF in it is escaped and the
// line then starts with a backslash, so no name can pass for another line.
// Windows names hold no CR or LF, and there the backslash separates folders.
std::string LineStart(std::string_view name) {
#ifdef _WIN32
  return std::string(name);
#endif
  std::string escaped;
  for (const char c : name) {
    if (c == '\\') {
      escaped += "\\\\";
    } else if (c == '\n') {
      escaped += "\\n";
    } else if (c == '\r') {
      escaped += "\\r";
    } else {
      escaped += c;
    }
  }
  if (escaped.size() != name.size()) escaped.insert(escaped.begin(), '\\');
  return escaped;
}

void ReportUnreadable(const char* name, int code) {
  (void)std::fprintf(stderr, "pivra-check: %s: %s\n", LineStart(name).c_str(), std::strerror(code));
}

int CheckFiles(const Options& options) {
  int status = StatusValid;
  std::string bytes;
  DrawTable sets{};
  for (const char* name : options.files) {
    const std::string line_start = LineStart(name);
    if (const int code = ReadDrawFile(name, bytes); code != 0) {
      std::printf("%s: FAILED open or read\n", line_start.c_str());
      ReportUnreadable(name, code);
      status = StatusTrouble;
      continue;
    }
    const FileFault fault = CheckDrawFile(bytes, sets);
    if (fault.line == 0) {
      if (!options.quiet) std::printf("%s: OK\n", line_start.c_str());
    } else {
      std::printf("%s: FAILED %s\n", line_start.c_str(), DescribeFault(fault).c_str());
      if (status == StatusValid) status = StatusInvalid;
    }
  }
  return status;
}

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

// Prints the report; true when it finds nothing against the draws.
bool PrintFairness(const FairnessReport& report, std::size_t files,
                   const std::vector<std::string>& skipped) {
  std::printf("Fairness of %zu files, %llu blocks; %zu skipped.\n", files,
              static_cast<unsigned long long>(report.blocks), skipped.size());
  for (const std::string& line : skipped) std::printf("skipped %s\n", line.c_str());
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
    if (const int code = ReadDrawFile(name, bytes); code != 0) {
      ReportUnreadable(name, code);
      status = StatusTrouble;
      continue;
    }
    const FileFault fault = CheckDrawFile(bytes, sets);
    if (fault.line != 0) {
      skipped.push_back(LineStart(name) + ": " + DescribeFault(fault));
      continue;
    }
    // Two runs never draw the same file: a second one is a copy, and counting
    // it twice would make fair draws look unfair.
    if (!counted.insert(Fingerprint(bytes)).second) {
      skipped.push_back(LineStart(name) + ": a copy of a file already counted");
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
      ReportUnreadable(options.svg, code);
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

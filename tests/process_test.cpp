// The built pivra as a process, each case in a fresh temporary directory.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "check_tool.h"
#include "run/draw_file.h"  // FileBufferSize: pivra's file buffer, written in one call
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
  std::vector<long> getrandom_results;  // as the preloaded shim saw them
};

struct Options {
  fs::path binary = PIVRA_BINARY;
  std::vector<std::string> args;
  std::vector<std::string> shim;     // NAME=value settings for the preloaded fault shim
  std::vector<std::string> wrapper;  // a command that runs pivra, such as strace
  rlim_t file_limit = RLIM_INFINITY;
  bool stderr_to_closed_pipe = false;
  int stderr_fd = -1;  // a descriptor that runs share for standard error
  // Standard error closed, in a mount namespace whose /dev is empty.
  bool closed_stderr_without_dev = false;
  bool as_nobody = false;  // drop root before the run, so permissions count
};

constexpr uid_t Nobody = 65534;

// Whether user nobody can run the binary: a build under a private home cannot.
bool NobodyCanRunPivra() {
  const pid_t child = fork();
  if (child == 0) {
    const bool can = setgid(Nobody) == 0 && setuid(Nobody) == 0 && access(PIVRA_BINARY, X_OK) == 0;
    _exit(can ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

struct Child {
  pid_t pid;
  fs::path out, err, log;  // where its streams and the shim's log go
};

// For a child built with AddressSanitizer; nothing otherwise.
void AddSanitizerOption([[maybe_unused]] const char* option) {
#if defined(__SANITIZE_ADDRESS__)
  const char* options = getenv("ASAN_OPTIONS");
  const std::string text =
      (options == nullptr ? std::string() : std::string(options) + ":") + option;
  setenv("ASAN_OPTIONS", text.c_str(), 1);
#endif
}

void PreloadShim(const std::vector<std::string>& settings, const fs::path& log) {
  setenv("LD_PRELOAD", PIVRA_SHIM, 1);
  setenv("PIVRA_SHIM_LOG", log.c_str(), 1);
  for (const std::string& setting : settings) {
    const std::size_t equals = setting.find('=');
    setenv(setting.substr(0, equals).c_str(), setting.substr(equals + 1).c_str(), 1);
  }
  // The shim now loads ahead of the sanitizer's runtime. It only wraps calls
  // the runtime does not need first, so let that pass.
  AddSanitizerOption("verify_asan_link_order=0");
}

// Starts pivra in `dir`; `slot` keeps the output files of runs at once apart.
Child StartPivra(const fs::path& dir, const Options& options, unsigned slot = 0) {
  const std::string tag = std::to_string(getpid()) + "-" + std::to_string(slot);
  const fs::path tmp = fs::temp_directory_path();
  Child child{0, tmp / ("pivra-out-" + tag), tmp / ("pivra-err-" + tag),
              tmp / ("pivra-shim-" + tag)};
  fs::remove(child.log);
  child.pid = fork();
  if (child.pid != 0) return child;
  const int out_fd = open(child.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  int err_fd = options.stderr_fd >= 0 ? options.stderr_fd
                                      : open(child.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  int pipe_ends[2];
  if (options.stderr_to_closed_pipe && pipe(pipe_ends) == 0) {
    close(pipe_ends[0]);
    err_fd = pipe_ends[1];
  }
  if (out_fd < 0 || err_fd < 0 || dup2(out_fd, 1) < 0 || dup2(err_fd, 2) < 0) _exit(120);
  if (chdir(dir.c_str()) != 0) _exit(121);
  const rlimit limit{options.file_limit, options.file_limit};
  if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(122);
  if (options.as_nobody && (setgid(Nobody) != 0 || setuid(Nobody) != 0)) _exit(123);
  if (options.closed_stderr_without_dev) {
    // Private mounts first: the empty /dev must not reach the rest of the system.
    if (unshare(CLONE_NEWNS) != 0 ||
        mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("tmpfs", "/dev", "tmpfs", 0, "size=4k") != 0) {
      _exit(124);
    }
    close(STDERR_FILENO);
  }
  if (!options.shim.empty()) PreloadShim(options.shim, child.log);
  if (!options.wrapper.empty()) AddSanitizerOption("detect_leaks=0");  // no leak checks when traced
  std::vector<char*> argv;
  for (const std::string& arg : options.wrapper) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(const_cast<char*>(options.binary.c_str()));
  for (const std::string& arg : options.args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  execvp(argv[0], argv.data());
  _exit(127);
}

// Waits for the run and collects its exit status and both output streams.
Outcome FinishPivra(const Child& child) {
  int status = 0;
  waitpid(child.pid, &status, 0);
  Outcome outcome;
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  outcome.out = ReadFile(child.out);
  outcome.err = ReadFile(child.err);
  std::ifstream results(child.log);
  for (long result = 0; results >> result;) outcome.getrandom_results.push_back(result);
  fs::remove(child.out);
  fs::remove(child.err);
  fs::remove(child.log);
  return outcome;
}

Outcome RunPivra(const fs::path& dir, const Options& options = {}) {
  return FinishPivra(StartPivra(dir, options));
}

// `runs` runs in `dir`, at most `at_once` of them at a time.
std::vector<Outcome> RunPivraMany(const fs::path& dir, unsigned runs, unsigned at_once,
                                  const Options& options = {}) {
  std::vector<Child> running;
  std::vector<Outcome> outcomes;
  for (unsigned run = 0; run < runs; ++run) {
    if (running.size() == at_once) {
      outcomes.push_back(FinishPivra(running.front()));
      running.erase(running.begin());
    }
    running.push_back(StartPivra(dir, options, run));
  }
  for (const Child& child : running) outcomes.push_back(FinishPivra(child));
  return outcomes;
}

std::vector<fs::path> FilesIn(const fs::path& dir) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(dir)) files.push_back(entry.path());
  return files;
}

std::regex ReportPattern(const std::string& name, const std::string& text) {
  return std::regex("Exception " + name + " in module pivra at [0-9A-F]{8}\\.\r\n" + text +
                    "\r\n\r\n");
}

void ExpectReport(const Outcome& outcome, const std::string& name, const std::string& text) {
  EXPECT_EQ(outcome.status, 1);
  EXPECT_TRUE(outcome.out.empty());
  EXPECT_TRUE(std::regex_match(outcome.err, ReportPattern(name, text))) << outcome.err;
}

// The static pivra (the release's archives for any Linux), run as the dynamic
// one was, reports the same failure: the same name, text and module, and for
// both an offset within the program's file, not an address.
void ExpectStaticReportsTheSame(const fs::path& dir, const Outcome& dynamic) {
  const fs::path static_pivra = PIVRA_STATIC_BINARY;
  if (static_pivra.empty()) return;  // a sanitizer build has none
  const Outcome linked_in = RunPivra(dir, {.binary = static_pivra});
  EXPECT_EQ(linked_in.status, dynamic.status);
  const std::regex offset(" at ([0-9A-F]{8})\\.");
  std::smatch found;
  for (const auto& [binary, err] :
       {std::pair{fs::path(PIVRA_BINARY), dynamic.err}, std::pair{static_pivra, linked_in.err}}) {
    ASSERT_TRUE(std::regex_search(err, found, offset)) << err;
    EXPECT_LT(std::stoul(found[1], nullptr, 16), fs::file_size(binary)) << binary;
  }
  EXPECT_EQ(std::regex_replace(linked_in.err, offset, " at offset."),
            std::regex_replace(dynamic.err, offset, " at offset."));
}

class ProcessTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = MakeTempDir("pivra-test"); }
  void TearDown() override {
    if (mounted_) umount2(dir_.c_str(), MNT_DETACH);
    fs::remove_all(dir_);
  }
  // A tmpfs of `size` over the test directory; skips where mounting is not allowed.
  void MountTmpfs(const std::string& size, unsigned long flags) {
    const std::string data = "size=" + size;
    if (mount("tmpfs", dir_.c_str(), "tmpfs", flags, data.c_str()) != 0) {
      GTEST_SKIP() << "cannot mount a tmpfs here (" << std::strerror(errno)
                   << "); run as root to test this case";
    }
    mounted_ = true;
  }

  fs::path dir_;
  bool mounted_ = false;
};

TEST_F(ProcessTest, NormalRunWritesOneFileSilently) {
  const Outcome outcome = RunPivra(dir_);
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(outcome.err, "");
  const auto files = FilesIn(dir_);
  ASSERT_EQ(files.size(), 1U);
  const std::regex name(R"(pivra-\d{4}-\d\d-\d\d-\d\d-\d\d-\d\d(0|[1-9]\d{0,9})\.TXT)");
  EXPECT_TRUE(std::regex_match(files[0].filename().string(), name)) << files[0];
  ExpectValidDrawFiles(files);
}

TEST_F(ProcessTest, TwoRunsGiveTwoFilesAndArgumentsChangeNothing) {
  EXPECT_EQ(RunPivra(dir_).status, 0);
  const Outcome with_args = RunPivra(dir_, {.args = {"--help", "-o", "/etc/passwd", "x"}});
  EXPECT_EQ(with_args.status, 0);
  EXPECT_EQ(with_args.out + with_args.err, "");
  const auto files = FilesIn(dir_);
  ASSERT_EQ(files.size(), 2U);
  ExpectValidDrawFiles(files);
  EXPECT_NE(ReadFile(files[0]), ReadFile(files[1]));
}

TEST_F(ProcessTest, FullDiskIsReportedAndThePartialFileStays) {
  MountTmpfs("64k", 0);
  if (!mounted_) return;
  {
    // Fill every page, so the run's first write finds no room.
    std::ofstream filler(dir_ / "filler", std::ios::binary);
    const std::string page(4096, 'x');
    while (filler.write(page.data(), page.size())) {
    }
  }
  const Outcome outcome = RunPivra(dir_);
  ExpectReport(outcome, "EInOutError", "I/O error 28\\.");
  EXPECT_EQ(FilesIn(dir_).size(), 2U) << "the partial file is left in place";
  ExpectStaticReportsTheSame(dir_, outcome);
}

TEST_F(ProcessTest, ReadOnlyDirectoryIsReportedAndNoFileIsLeft) {
  MountTmpfs("64k", MS_RDONLY);
  if (!mounted_) return;
  const Outcome outcome = RunPivra(dir_);
  ExpectReport(outcome, "EInOutError", "I/O error 30\\.");
  EXPECT_TRUE(FilesIn(dir_).empty());
  ExpectStaticReportsTheSame(dir_, outcome);
}

TEST_F(ProcessTest, FailingSystemSourceIsReportedAndNoFileIsWritten) {
  ExpectReport(RunPivra(dir_, {.shim = {"PIVRA_SHIM_GETRANDOM=fail"}}), "ESystemRandomError",
               "System random source unavailable\\.");
  EXPECT_TRUE(FilesIn(dir_).empty());
}

TEST_F(ProcessTest, InterruptedAndShortSystemReadsStillSeedWhole) {
  const Outcome outcome = RunPivra(dir_, {.shim = {"PIVRA_SHIM_GETRANDOM=short"}});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  ASSERT_EQ(FilesIn(dir_).size(), 1U);
  const std::vector<long>& results = outcome.getrandom_results;
  ASSERT_FALSE(results.empty());
  EXPECT_EQ(results.front(), -1) << "the interrupted call is retried";
  long served = 0;
  for (std::size_t call = 1; call < results.size(); ++call) served += results[call];
  EXPECT_EQ(served, 2068) << "every byte of the state comes from the system source";
}

TEST_F(ProcessTest, ReportToAClosedPipeStillEndsWithStatusOne) {
  const Outcome outcome =
      RunPivra(dir_, {.shim = {"PIVRA_SHIM_GETRANDOM=fail"}, .stderr_to_closed_pipe = true});
  EXPECT_EQ(outcome.status, 1) << "not killed by SIGPIPE";
  EXPECT_TRUE(FilesIn(dir_).empty());
}

TEST_F(ProcessTest, FileSizeLimitIsReportedNotKilled) {
  const Outcome outcome = RunPivra(dir_, {.file_limit = 1024});
  ExpectReport(outcome, "EInOutError", "I/O error 27\\.");
  const auto files = FilesIn(dir_);
  ASSERT_EQ(files.size(), 1U);
  EXPECT_EQ(fs::file_size(files[0]), 1024U) << "eight full buffers went out before the limit";
}

TEST_F(ProcessTest, FailedFlushOrDirectorySyncIsReportedAfterTheWholeText) {
  for (const char* setting : {"PIVRA_SHIM_FSYNC_FILE=5", "PIVRA_SHIM_FSYNC_DIRECTORY=5"}) {
    SCOPED_TRACE(setting);
    ExpectReport(RunPivra(dir_, {.shim = {setting}}), "EInOutError", "I/O error 5\\.");
    const auto files = FilesIn(dir_);
    ASSERT_EQ(files.size(), 1U);
    ExpectValidDrawFiles(files);
    fs::remove(files[0]);
  }
}

TEST_F(ProcessTest, DirectoryThatCannotBeSyncedIsNoFailure) {
  const Outcome outcome = RunPivra(dir_, {.shim = {"PIVRA_SHIM_FSYNC_DIRECTORY=22"}});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.err, "");
  EXPECT_EQ(FilesIn(dir_).size(), 1U);
}

TEST_F(ProcessTest, DropBoxDirectoryThatCannotBeReadTakesTheFile) {
  if (getuid() != 0 || !NobodyCanRunPivra()) {
    GTEST_SKIP() << "needs root, and a build that user nobody can run";
  }
  fs::permissions(dir_, fs::perms::all & ~(fs::perms::owner_read | fs::perms::group_read |
                                           fs::perms::others_read));
  // Others may add files but not list them: it cannot be opened to be synced.
  const Outcome outcome = RunPivra(dir_, {.as_nobody = true});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.err, "");
  const auto files = FilesIn(dir_);
  ASSERT_EQ(files.size(), 1U);
  ExpectValidDrawFiles(files);
}

TEST_F(ProcessTest, FileIsSyncedOnceBeforeItsCloseAndItsDirectoryAfter) {
  const fs::path trace = dir_.string() + ".strace";
  if (std::system("strace -o /dev/null true 2>/dev/null") != 0) {
    GTEST_SKIP() << "strace is missing or cannot trace here";
  }
  const Outcome outcome = RunPivra(
      dir_, {.wrapper = {"strace", "-f", "-y", "-o", trace, "-e", "trace=fsync,fdatasync,close"}});
  const std::string traced = ReadFile(trace);
  fs::remove(trace);
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const auto files = FilesIn(dir_);
  ASSERT_EQ(files.size(), 1U);
  // Calls on the draw file, and on its directory, as strace names their descriptors.
  std::vector<std::string> calls;
  const std::regex call(R"((\w+)\(\d+<([^>]*)>\) *= )");
  std::istringstream lines(traced);
  for (std::string line; std::getline(lines, line);) {
    std::smatch match;
    if (!std::regex_search(line, match, call)) continue;
    if (match[2] == files[0].string()) calls.push_back(match[1]);
    if (match[2] == dir_.string()) calls.push_back(match[1].str() + " directory");
  }
  EXPECT_EQ(calls,
            (std::vector<std::string>{"fsync", "close", "fsync directory", "close directory"}));
}

TEST_F(ProcessTest, ManyRunsAtOnceEachWriteAWholeFileOfTheirOwn) {
  constexpr unsigned Runs = 400;
  unsigned succeeded = 0;
  for (const Outcome& outcome : RunPivraMany(dir_, Runs, 8)) {
    if (outcome.status == 0 && outcome.err.empty()) ++succeeded;
  }
  EXPECT_EQ(succeeded, Runs);
  const auto files = FilesIn(dir_);
  EXPECT_EQ(files.size(), Runs) << Runs - files.size()
                                << " runs left no file of their own: a shared name replaced one";
  ExpectValidDrawFiles(files);
  std::set<std::string> tables;
  for (const auto& file : files) tables.insert(ReadFile(file));
  EXPECT_EQ(tables.size(), files.size()) << "two runs wrote the same draw";
}

TEST_F(ProcessTest, DiskFillingUnderManyRunsPassesNoShortFileAsWritten) {
  constexpr unsigned Runs = 50;
  MountTmpfs("100k", 0);  // a page for each of about half the files
  if (!mounted_) return;
  unsigned succeeded = 0;
  for (const Outcome& outcome : RunPivraMany(dir_, Runs, 4)) {
    if (outcome.status == 0) {
      ++succeeded;
      EXPECT_EQ(outcome.err, "");
    } else {
      ExpectReport(outcome, "EInOutError", "I/O error 28\\.");
    }
  }
  EXPECT_GT(succeeded, 0U);
  EXPECT_LT(succeeded, Runs) << "the disk was to fill part-way through";
  const auto files = FilesIn(dir_);
  EXPECT_EQ(files.size(), Runs) << "every run created its file";
  std::vector<std::string> names;
  for (const auto& file : files) names.push_back(file.string());
  std::istringstream report(RunPivraCheck(names).out);
  unsigned complete = 0;
  for (std::string line; std::getline(report, line);) {
    const std::size_t colon = line.find(": ");
    if (line.substr(colon + 2) == "OK") {
      ++complete;
    } else {
      EXPECT_EQ(fs::file_size(line.substr(0, colon)) % pivra::FileBufferSize, 0U)
          << "a failed run leaves whole buffers: " << line;
    }
  }
  // A failed run never leaves a complete file, so every run that ended with 0 owns one.
  EXPECT_EQ(complete, succeeded);
}

TEST_F(ProcessTest, ReportsOfRunsSharingOnePipeStayWhole) {
  MountTmpfs("64k", MS_RDONLY);
  if (!mounted_) return;
  int ends[2];
  ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
  // Read as the runs write, as `| cat` would: each wake-up of the reader is a
  // chance for another run to write between a report's parts.
  const fs::path log = dir_.string() + ".stderr";
  const pid_t reader = fork();
  if (reader == 0) {
    close(ends[1]);
    const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    char buffer[4096];
    for (ssize_t got = 0; (got = read(ends[0], buffer, sizeof buffer)) > 0;) {
      if (write(out, buffer, static_cast<std::size_t>(got)) != got) _exit(1);
    }
    _exit(0);
  }
  close(ends[0]);
  constexpr unsigned Runs = 64;
  RunPivraMany(dir_, Runs, 16, {.stderr_fd = ends[1]});
  close(ends[1]);
  waitpid(reader, nullptr, 0);
  const std::string shared = ReadFile(log);
  fs::remove(log);
  unsigned reports = 0;
  const std::regex whole = ReportPattern("EInOutError", "I/O error 30\\.");
  for (std::size_t start = 0, end = 0; start < shared.size(); start = end + 4, ++reports) {
    end = shared.find("\r\n\r\n", start);
    ASSERT_NE(end, std::string::npos) << shared.substr(start);
    EXPECT_TRUE(std::regex_match(shared.substr(start, end + 4 - start), whole))
        << shared.substr(start, end + 4 - start);
  }
  EXPECT_EQ(reports, Runs);
}

TEST_F(ProcessTest, ReportNamesTheProgramWithoutProcAndOnceItIsReplaced) {
  const fs::path bin = MakeTempDir("pivra-bin");
  for (const char* setting : {"PIVRA_SHIM_PROC=none", "PIVRA_SHIM_UNLINK_SELF=1"}) {
    SCOPED_TRACE(setting);
    fs::copy_file(PIVRA_BINARY, bin / "pivra", fs::copy_options::overwrite_existing);
    ExpectReport(
        RunPivra(dir_, {.binary = bin / "pivra", .shim = {"PIVRA_SHIM_GETRANDOM=fail", setting}}),
        "ESystemRandomError", "System random source unavailable\\.");
  }
  fs::remove_all(bin);
}

TEST_F(ProcessTest, ReportNeverReachesTheDrawFileWhenStandardErrorIsClosed) {
  const Outcome outcome =
      RunPivra(dir_, {.shim = {"PIVRA_SHIM_FSYNC_FILE=5"}, .closed_stderr_without_dev = true});
  if (outcome.status == 124) GTEST_SKIP() << "needs root for a mount namespace with an empty /dev";
  EXPECT_EQ(outcome.status, 1);
  const auto files = FilesIn(dir_);
  ASSERT_EQ(files.size(), 1U);
  ExpectValidDrawFiles(files);  // nothing but the draw in the file
}

}  // namespace

// The built pivra as a process, each case in a fresh temporary directory.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "layout_check.h"
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
  std::vector<std::string> args;
  std::string preload_mode;  // for the getrandom shim
  rlim_t file_limit = RLIM_INFINITY;
  bool stderr_to_closed_pipe = false;
};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs pivra in `dir` and collects its exit status and both output streams.
Outcome RunPivra(const fs::path& dir, const Options& options = {}) {
  const fs::path out = fs::temp_directory_path() / ("pivra-out-" + std::to_string(getpid()));
  const fs::path err = fs::temp_directory_path() / ("pivra-err-" + std::to_string(getpid()));
  const fs::path log = fs::temp_directory_path() / ("pivra-shim-" + std::to_string(getpid()));
  fs::remove(log);
  const pid_t child = fork();
  if (child == 0) {
    const int out_fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err_fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int pipe_ends[2];
    if (options.stderr_to_closed_pipe && pipe(pipe_ends) == 0) {
      close(pipe_ends[0]);
      err_fd = pipe_ends[1];
    }
    if (out_fd < 0 || err_fd < 0 || dup2(out_fd, 1) < 0 || dup2(err_fd, 2) < 0) _exit(120);
    if (chdir(dir.c_str()) != 0) _exit(121);
    const rlimit limit{options.file_limit, options.file_limit};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(122);
    if (!options.preload_mode.empty()) {
      setenv("LD_PRELOAD", PIVRA_SHIM, 1);
      setenv("PIVRA_SHIM_GETRANDOM", options.preload_mode.c_str(), 1);
      setenv("PIVRA_SHIM_LOG", log.c_str(), 1);
#if defined(__SANITIZE_ADDRESS__)
      // The shim now loads ahead of the sanitizer's runtime. It only wraps
      // getrandom, which the runtime does not need first, so let that pass.
      const char* asan_options = getenv("ASAN_OPTIONS");
      const std::string options_text =
          (asan_options == nullptr ? std::string() : std::string(asan_options) + ":") +
          "verify_asan_link_order=0";
      setenv("ASAN_OPTIONS", options_text.c_str(), 1);
#endif
    }
    std::vector<char*> argv{const_cast<char*>(PIVRA_BINARY)};
    for (const std::string& arg : options.args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(PIVRA_BINARY, argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  Outcome outcome;
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  outcome.out = ReadFile(out);
  std::ifstream results(log);
  for (long result = 0; results >> result;) outcome.getrandom_results.push_back(result);
  fs::remove(log);
  outcome.err = ReadFile(err);
  fs::remove(out);
  fs::remove(err);
  return outcome;
}

std::vector<fs::path> FilesIn(const fs::path& dir) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(dir)) files.push_back(entry.path());
  return files;
}

void ExpectReport(const Outcome& outcome, const std::string& name, const std::string& text) {
  EXPECT_EQ(outcome.status, 1);
  EXPECT_TRUE(outcome.out.empty());
  const std::regex report("Exception " + name + " in module pivra at [0-9A-F]{8}\\.\r\n" + text +
                          "\r\n\r\n");
  EXPECT_TRUE(std::regex_match(outcome.err, report)) << outcome.err;
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
  ExpectDrawFileLayout(ReadFile(files[0]));
}

TEST_F(ProcessTest, TwoRunsGiveTwoFilesAndArgumentsChangeNothing) {
  EXPECT_EQ(RunPivra(dir_).status, 0);
  const Outcome with_args = RunPivra(dir_, {.args = {"--help", "-o", "/etc/passwd", "x"}});
  EXPECT_EQ(with_args.status, 0);
  EXPECT_EQ(with_args.out + with_args.err, "");
  const auto files = FilesIn(dir_);
  ASSERT_EQ(files.size(), 2U);
  for (const auto& file : files) ExpectDrawFileLayout(ReadFile(file));
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
}

TEST_F(ProcessTest, ReadOnlyDirectoryIsReportedAndNoFileIsLeft) {
  MountTmpfs("64k", MS_RDONLY);
  if (!mounted_) return;
  ExpectReport(RunPivra(dir_), "EInOutError", "I/O error 30\\.");
  EXPECT_TRUE(FilesIn(dir_).empty());
}

TEST_F(ProcessTest, FailingSystemSourceIsReportedAndNoFileIsWritten) {
  ExpectReport(RunPivra(dir_, {.preload_mode = "fail"}), "ESystemRandomError",
               "System random source unavailable\\.");
  EXPECT_TRUE(FilesIn(dir_).empty());
}

TEST_F(ProcessTest, InterruptedAndShortSystemReadsStillSeedWhole) {
  const Outcome outcome = RunPivra(dir_, {.preload_mode = "short"});
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
  const Outcome outcome = RunPivra(dir_, {.preload_mode = "fail", .stderr_to_closed_pipe = true});
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

}  // namespace

// The built pivra-check as a process, for the tests that check files with it.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct CheckOutcome {
  int status = -1;
  std::string out;  // standard error is left to the test's own
};

inline CheckOutcome RunPivraCheck(const std::vector<std::string>& args) {
  std::string out = (std::filesystem::temp_directory_path() / "pivra-check-out-XXXXXX").string();
  const int fd = mkstemp(out.data());  // a new file of its own, never one planted under /tmp
  EXPECT_GE(fd, 0) << out;
  const pid_t child = fork();
  if (child == 0) {
    if (fd < 0 || dup2(fd, 1) < 0) _exit(120);
    std::vector<char*> argv{const_cast<char*>(PIVRA_CHECK_BINARY)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  close(fd);
  std::ifstream in(out, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  std::filesystem::remove(out);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), text.str()};
}

// Each file is a valid draw file, as pivra-check judges it.
inline void ExpectValidDrawFiles(const std::vector<std::filesystem::path>& files) {
  std::vector<std::string> args{"-q"};
  for (const auto& file : files) args.push_back(file.string());
  const CheckOutcome outcome = RunPivraCheck(args);
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out, "");
}

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
  std::string out;
  std::string err;
};

// A new file of its own under the temporary directory, never one planted there.
inline int MakeTempFile(std::string& name) {
  name = (std::filesystem::temp_directory_path() / "pivra-check-test-XXXXXX").string();
  const int fd = mkstemp(name.data());
  EXPECT_GE(fd, 0) << name;
  return fd;
}

inline std::string TakeTempFile(int fd, const std::string& name) {
  close(fd);
  std::ifstream in(name, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  std::filesystem::remove(name);
  return text.str();
}

// Runs pivra-check on `args` with `input` as its standard input.
inline CheckOutcome RunPivraCheck(const std::vector<std::string>& args,
                                  const std::string& input = "") {
  std::string in;
  std::string out;
  std::string err;
  const int in_fd = MakeTempFile(in);
  const int out_fd = MakeTempFile(out);
  const int err_fd = MakeTempFile(err);
  EXPECT_EQ(write(in_fd, input.data(), input.size()), static_cast<ssize_t>(input.size()));
  const pid_t child = fork();
  if (child == 0) {
    if (lseek(in_fd, 0, SEEK_SET) != 0 || dup2(in_fd, 0) < 0 || dup2(out_fd, 1) < 0 ||
        dup2(err_fd, 2) < 0) {
      _exit(120);
    }
    std::vector<char*> argv{const_cast<char*>(PIVRA_CHECK_BINARY)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  TakeTempFile(in_fd, in);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
          TakeTempFile(out_fd, out), TakeTempFile(err_fd, err)};
}

// Each file is a valid draw file, as pivra-check judges it.
inline void ExpectValidDrawFiles(const std::vector<std::filesystem::path>& files) {
  std::vector<std::string> args{"-q"};
  for (const auto& file : files) args.push_back(file.string());
  const CheckOutcome outcome = RunPivraCheck(args);
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "");
}

// A fake platform for what no real setup produces: a provider that fails on cue
// or serves chosen bytes, and an output file in memory whose writes, flush, close
// and directory sync fail on cue. Each test starts from the native table and
// gets it back after.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace pivra::fake {

struct Provider {
  bool acquire_ok = true;
  bool generate_ok = true;
  std::vector<uint8_t> bytes;  // served cyclically when non-empty, else left to the system
  int acquires = 0;
  int releases = 0;
  std::vector<uint32_t> requests;
  int64_t counter = 0;  // the performance counter the fallback sees
  bool counter_ok = true;
  uint32_t ticks = 0;
};

struct File {
  LocalTime time{2026, 3, 7, 9, 5, 3};  // the clock names are read from
  uint64_t counter = 2468;              // the time-stamp counter, two ticks on at each read
  int32_t clock_code = 0;               // reading the clock fails with this code
  int32_t create_code = 0;
  unsigned taken_names = 0;  // creations that find their name taken, first
  std::vector<std::string> tried_names;
  FileType type = FileType::Disk;
  int32_t type_code = 0;  // asking the type fails with this code
  int32_t flush_code = 0;
  int32_t close_code = 0;
  int32_t sync_directory_code = 0;
  std::string name;
  std::string contents;
  std::vector<uint32_t> writes;  // the length asked of each write call
  int closes = 0;
  std::vector<std::string> operations;  // "write", "flush", "close", "sync directory"
  // Decides one write call (numbered from 1): returns a code, sets the length written.
  std::function<int32_t(std::size_t call, uint32_t length, uint32_t* written)> write_rule;
};

// Thrown by the fake exit_process, so a test sees the end of the process.
struct ProcessExit {
  int status;
};

// Runs `step`; returns the status it ended the process with, or nothing if it returned.
template <typename Step>
std::optional<int> ExitStatusOf(Step step) {
  try {
    step();
  } catch (const ProcessExit& exit) {
    return exit.status;
  }
  return std::nullopt;
}

// The report's failure name, and its text as the second line shows it.
std::string ReportedName();
std::string ReportedText();
// The text an I/O code is reported with on this platform, full stop included.
std::string InOutText(int32_t code);

extern Provider g_provider;
extern File g_file;
extern std::string g_standard_error;

// The seed bytes pattern tests share: byte i of a fixed LCG stream.
std::vector<uint8_t> PatternBytes(std::size_t length, uint32_t seed);

class PlatformTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

 private:
  PlatformOps saved_{};
};

}  // namespace pivra::fake

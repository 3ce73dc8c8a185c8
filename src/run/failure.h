// Named failures that end the run, and the one report they produce. A failure
// is reported on standard error and ends the process with status 1 at once:
// the run's state is static, so there is nothing to unwind.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pivra {

constexpr std::size_t FailureTextCapacity = 48;
constexpr std::size_t ReportCapacity = 1024;

struct RunFailure {
  const char* name;  // "EInOutError", "ESystemRandomError", "EOutOfMemory"
  char text[FailureTextCapacity];
  int32_t code;         // the system's code for EInOutError, else 0
  const void* address;  // the check that raised it
};

// The text an I/O code is shown with.
void InOutErrorText(int32_t code, char* text, std::size_t capacity);

[[noreturn]] void RaiseInOutError(int32_t code, const void* address);
[[noreturn]] void RaiseSystemRandomError(const void* address);
[[noreturn]] void RaiseOutOfMemory(const void* address);

// "Exception <name> in module <module> at <offset>.\r\n<text>[.]\r\n"; returns its length.
std::size_t FormatReport(const RunFailure& failure, char* report);

// Writes the report and one more line end to standard error, in one call.
void ReportFailure(const RunFailure& failure);

// Reports the failure and ends the process with status 1.
[[noreturn]] void EndWithFailure(const RunFailure& failure);

}  // namespace pivra

#include "run/failure.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace pivra {
namespace {

RunFailure NamedFailure(const char* name, const char* text, const void* address) {
  RunFailure failure{name, {}, 0, address};
  static_cast<void>(std::snprintf(failure.text, sizeof failure.text, "%s", text));
  return failure;
}

RunFailure InOutErrorFailure(int32_t code, const void* address) {
  RunFailure failure{"EInOutError", {}, code, address};
  InOutErrorText(code, failure.text, sizeof failure.text);
  return failure;
}

const char* WindowsErrorText(int32_t code) {
  switch (code) {
    case 2: return "File not found";
    case 3: return "Invalid filename";
    case 4: return "Too many open files";
    case 5: return "File access denied";
    case 100: return "Read beyond end of file";
    case 101: return "Disk full";
    case 106: return "Invalid numeric input";
    default: return nullptr;
  }
}

}  // namespace

void InOutErrorText(int32_t code, char* text, std::size_t capacity) {
  // The table is keyed by Windows codes; ENOENT alone means the same on POSIX.
  const char* known =
      g_platform.windows_error_codes || code == 2 ? WindowsErrorText(code) : nullptr;
  if (known != nullptr) {
    static_cast<void>(std::snprintf(text, capacity, "%s", known));
  } else {
    static_cast<void>(std::snprintf(text, capacity, "I/O error %d", static_cast<int>(code)));
  }
}

void RaiseInOutError(int32_t code, const void* address) {
  EndWithFailure(InOutErrorFailure(code, address));
}

void RaiseSystemRandomError(const void* address) {
  EndWithFailure(NamedFailure("ESystemRandomError", "System random source unavailable", address));
}

void RaiseOutOfMemory(const void* address) {
  EndWithFailure(NamedFailure("EOutOfMemory", "Out of memory", address));
}

std::size_t FormatReport(const RunFailure& failure, char* report) {
  ModuleInfo module{};
  const auto location = reinterpret_cast<std::uintptr_t>(failure.address);
  if (!g_platform.find_module(failure.address, &module)) module.base = 0;
  const auto offset = static_cast<uint32_t>(location - module.base);
  const std::size_t text_length = std::strlen(failure.text);
  const bool add_stop = text_length > 0 && failure.text[text_length - 1] != '.';
  const int length = std::snprintf(
      report, ReportCapacity, "Exception %s in module %.260s at %08X.\r\n%s%s\r\n", failure.name,
      module.name, static_cast<unsigned>(offset), failure.text, add_stop ? "." : "");
  if (length < 0) return 0;
  return std::min(static_cast<std::size_t>(length), ReportCapacity - 1);
}

void ReportFailure(const RunFailure& failure) {
  char report[ReportCapacity + 2];
  std::size_t length = FormatReport(failure, report);
  g_platform.char_to_oem(report);
  // The blank line goes out in the same call: runs that share one standard
  // error must not interleave their reports.
  report[length++] = '\r';
  report[length++] = '\n';
  g_platform.write_standard_error(report, static_cast<uint32_t>(length));
}

void EndWithFailure(const RunFailure& failure) {
  ReportFailure(failure);
  g_platform.exit_process(1);
  std::abort();  // exit_process does not return
}

}  // namespace pivra

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "fake_platform.h"
#include "layout_check.h"
#include "run/draw_run.h"
#include "run/failure.h"

namespace pivra {
namespace {

using RunTest = fake::PlatformTest;

uint64_t Fnv1a(const std::string& bytes) {
  uint64_t hash = 0xcbf29ce484222325ULL;
  for (const char c : bytes) hash = (hash ^ static_cast<uint8_t>(c)) * 0x100000001b3ULL;
  return hash;
}

void ExpectReport(const std::string& name, const std::string& text) {
  const std::regex report("Exception " + name + " in module [^\\\\/\r\n]+ at [0-9A-F]{8}\\.\r\n" +
                          text + "\r\n\r\n");
  EXPECT_TRUE(std::regex_match(fake::g_standard_error, report)) << fake::g_standard_error;
}

TEST_F(RunTest, SameSeedBytesAlwaysGiveTheSameFile) {
  fake::g_provider.bytes = fake::PatternBytes(SeedBlockSize, 1);
  ASSERT_EQ(fake::ExitStatusOf(RunDraw), std::nullopt);
  EXPECT_TRUE(fake::g_standard_error.empty());
  ExpectDrawFileLayout(fake::g_file.contents);
  // Pinned once: any change to the generator, the seeding or the table shows here.
  EXPECT_EQ(Fnv1a(fake::g_file.contents), 0x3F4293B48FDEDC9DULL);
}

TEST_F(RunTest, FailedSystemSourceIsReportedAndNoFileIsCreated) {
  fake::g_provider.generate_ok = false;
  EXPECT_EQ(fake::ExitStatusOf(RunDraw), 1);
  ExpectReport("ESystemRandomError", "System random source unavailable\\.");
  EXPECT_TRUE(fake::g_file.name.empty());
}

TEST_F(RunTest, FailedCreationIsReportedWithItsCode) {
  fake::g_file.create_code = 13;
  EXPECT_EQ(fake::ExitStatusOf(RunDraw), 1);
  ExpectReport("EInOutError", "I/O error 13\\.");
  EXPECT_EQ(fake::g_file.tried_names.size(), 1U) << "only a taken name is worth another try";
  EXPECT_TRUE(fake::g_file.writes.empty());
}

TEST_F(RunTest, UnreadableClockIsReportedAndNoFileIsCreated) {
  fake::g_file.clock_code = 75;
  EXPECT_EQ(fake::ExitStatusOf(RunDraw), 1);
  ExpectReport("EInOutError", "I/O error 75\\.");
  EXPECT_TRUE(fake::g_file.tried_names.empty()) << "no name from an unread clock";
}

TEST_F(RunTest, FailedWriteIsReportedOnce) {
  fake::g_file.write_rule = [](std::size_t call, uint32_t, uint32_t*) {
    return call == 3 ? 28 : 0;
  };
  EXPECT_EQ(fake::ExitStatusOf(RunDraw), 1);
  ExpectReport("EInOutError", "I/O error 28\\.");
}

TEST_F(RunTest, ExhaustedMemoryIsReportedFromTheAllocation) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "AddressSanitizer's operator new ends the process itself when it runs out";
#endif
  fake::g_provider.bytes = fake::PatternBytes(SeedBlockSize, 1);
  ASSERT_EQ(fake::ExitStatusOf(RunDraw), std::nullopt);
  EXPECT_EQ(fake::ExitStatusOf([] { ::operator delete(::operator new(SIZE_MAX / 2)); }), 1);
  ExpectReport("EOutOfMemory", "Out of memory\\.");
}

TEST_F(RunTest, ErrorTextsFollowThePlatformsCodes) {
  char text[FailureTextCapacity];
  const std::pair<int32_t, const char*> posix[] = {
      {2, "File not found"}, {5, "I/O error 5"}, {101, "I/O error 101"}, {-7, "I/O error -7"}};
  g_platform.windows_error_codes = false;
  for (const auto& [code, expected] : posix) {
    InOutErrorText(code, text, sizeof text);
    EXPECT_STREQ(text, expected);
  }
  const std::pair<int32_t, const char*> windows[] = {
      {2, "File not found"},          {3, "Invalid filename"},          {4, "Too many open files"},
      {5, "File access denied"},      {100, "Read beyond end of file"}, {101, "Disk full"},
      {106, "Invalid numeric input"}, {112, "I/O error 112"},           {105, "I/O error 105"}};
  g_platform.windows_error_codes = true;
  for (const auto& [code, expected] : windows) {
    InOutErrorText(code, text, sizeof text);
    EXPECT_STREQ(text, expected);
  }
}

TEST_F(RunTest, ReportAddsAFullStopOnlyWhereMissing) {
  RunFailure failure{"EInOutError", "Done.", 0, nullptr};
  char report[ReportCapacity];
  std::string formatted(report, FormatReport(failure, report));
  EXPECT_NE(formatted.find("\r\nDone.\r\n"), std::string::npos) << formatted;
  failure.text[0] = '\0';
  formatted.assign(report, FormatReport(failure, report));
  EXPECT_EQ(formatted.substr(formatted.size() - 5), ".\r\n\r\n") << "empty text, no stop";
}

}  // namespace
}  // namespace pivra

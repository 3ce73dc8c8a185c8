#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "layout_check.h"
#include "run/draw_run.h"
#include "run/failure.h"

namespace pivra {
namespace {

std::string Format(std::vector<uint8_t> numbers) {
  char text[3 * 255];
  const std::size_t length = FormatSet(numbers.data(), static_cast<uint8_t>(numbers.size()), text);
  return {text, length};
}

std::string Name(LocalTime time, uint64_t counter) {
  char name[FileNameCapacity];
  BuildFileName(time, counter, name);
  return name;
}

TEST(FormatSet, WritesTwoDigitNumbersSeparatedBySingleSpaces) {
  EXPECT_EQ(Format({3, 11, 25, 30, 41, 56, 62, 79}), "03 11 25 30 41 56 62 79");
  EXPECT_EQ(Format({1, 2, 9, 10, 40, 71, 79, 80}), "01 02 09 10 40 71 79 80");
  EXPECT_EQ(Format({7}), "07");
  EXPECT_EQ(std::strlen(SeparatorLine), LineLength);
  EXPECT_EQ(std::string(SeparatorLine), std::string(LineLength, SeparatorChar));
}

TEST(FileName, FollowsThePatternWithACounterTail) {
  EXPECT_EQ(Name({2026, 3, 7, 9, 5, 3}, 2468), "pivra-2026-03-07-09-05-031234.TXT");
  EXPECT_EQ(Name({2026, 12, 31, 0, 0, 59}, 0), "pivra-2026-12-31-00-00-590.TXT");
  EXPECT_EQ(Name({2027, 1, 1, 23, 59, 0}, 1), "pivra-2027-01-01-23-59-000.TXT");
  // Only the low 32 bits count, shifted right by one: at most ten digits.
  EXPECT_EQ(Name({2026, 6, 15, 13, 4, 5}, 0xABCD0000FFFFFFFFULL),
            "pivra-2026-06-15-13-04-052147483647.TXT");
}

using WriterTest = fake::PlatformTest;

// A disk file goes out in full buffers and the rest.
constexpr std::size_t BufferWrites = (DrawFileSize + FileBufferSize - 1) / FileBufferSize;

// Builds a table from fixed bytes, creates the file through the fakes and writes
// it. Returns the status a failure ended the process with, if one did.
std::optional<int> CreateAndWrite() {
  std::memset(&g_generator, 0, sizeof g_generator);
  IsaacRefill(g_generator);
  BuildDrawTable();
  std::memcpy(g_draw_file.name, "x.TXT", 6);
  return fake::ExitStatusOf([] {
    CreateDrawFile();
    CheckIOResult();
    WriteDrawFile();
  });
}

void ExpectInOutError(const std::optional<int>& status, int32_t code) {
  EXPECT_EQ(status, 1);
  EXPECT_EQ(fake::ReportedName(), "EInOutError");
  EXPECT_EQ(fake::ReportedText(), fake::InOutText(code));
}

TEST_F(WriterTest, DiskFileGoesOutInFullBuffersAndTheRestAtClose) {
  EXPECT_FALSE(CreateAndWrite().has_value());
  ExpectDrawFileLayout(fake::g_file.contents);
  std::vector<uint32_t> expected(DrawFileSize / FileBufferSize, FileBufferSize);
  expected.push_back(DrawFileSize % FileBufferSize);
  EXPECT_EQ(fake::g_file.writes, expected);
  EXPECT_EQ(fake::g_file.closes, 1);
}

TEST_F(WriterTest, CharacterDeviceIsWrittenAtEveryLineEnd) {
  fake::g_file.type = FileType::Char;
  EXPECT_FALSE(CreateAndWrite().has_value());
  ExpectDrawFileLayout(fake::g_file.contents);
  ASSERT_EQ(fake::g_file.writes.size(), FileLineCount);
  for (const uint32_t length : fake::g_file.writes) EXPECT_EQ(length, LineBytes);
}

TEST_F(WriterTest, ShortWritesAreCompletedAndAZeroWriteIsAFailure) {
  fake::g_file.write_rule = [](std::size_t, uint32_t length, uint32_t* written) {
    *written = length > 50 ? 50 : length;  // never more than 50 bytes a call
    return 0;
  };
  EXPECT_FALSE(CreateAndWrite().has_value());
  ExpectDrawFileLayout(fake::g_file.contents);

  fake::g_file = fake::File{};
  fake::g_file.write_rule = [](std::size_t call, uint32_t, uint32_t* written) {
    *written = call == 1 ? 100 : 0;  // success that writes nothing
    return 0;
  };
  ExpectInOutError(CreateAndWrite(), g_platform.write_fault_code);
  EXPECT_EQ(fake::g_file.writes, (std::vector<uint32_t>{FileBufferSize, FileBufferSize - 100}));
  EXPECT_EQ(fake::g_file.contents.size(), 100U);
}

TEST_F(WriterTest, FailedBufferWriteStopsTheRunAtThatLine) {
  for (std::size_t failing = 1; failing <= BufferWrites; ++failing) {
    SCOPED_TRACE(testing::Message() << "write " << failing);
    fake::g_file = fake::File{};
    fake::g_standard_error.clear();
    fake::g_file.write_rule = [failing](std::size_t call, uint32_t, uint32_t*) {
      return call == failing ? 28 : 0;
    };
    ExpectInOutError(CreateAndWrite(), 28);
    EXPECT_EQ(fake::g_file.writes.size(), failing) << "nothing more reaches the file";
    EXPECT_EQ(fake::g_file.contents.size(), FileBufferSize * (failing - 1));
    EXPECT_EQ(fake::g_file.closes, 0) << "the partial file is left as it is";
  }
}

std::vector<std::string> LastOperations(std::size_t count) {
  const std::vector<std::string>& all = fake::g_file.operations;
  return {all.end() - static_cast<std::ptrdiff_t>(std::min(count, all.size())), all.end()};
}

TEST_F(WriterTest, DiskFileIsFlushedBeforeTheCloseAndItsDirectorySyncedAfter) {
  EXPECT_FALSE(CreateAndWrite().has_value());
  EXPECT_EQ(LastOperations(5),
            (std::vector<std::string>{"write", "write", "flush", "close", "sync directory"}));
  EXPECT_EQ(fake::g_file.operations.size(), BufferWrites + 3) << "one flush, one close, one sync";

  // A device or a pipe has no storage to flush, and may fail if asked to.
  for (const FileType type : {FileType::Char, FileType::Pipe}) {
    fake::g_file = fake::File{};
    fake::g_file.type = type;
    EXPECT_FALSE(CreateAndWrite().has_value());
    EXPECT_EQ(LastOperations(2), (std::vector<std::string>{"write", "close"}));
  }
}

TEST_F(WriterTest, FailedFlushIsRaisedAndTheFileIsNotClosed) {
  fake::g_file.flush_code = 5;
  ExpectInOutError(CreateAndWrite(), 5);
  EXPECT_EQ(fake::g_file.contents.size(), DrawFileSize);
  EXPECT_EQ(LastOperations(2), (std::vector<std::string>{"write", "flush"}));
}

TEST_F(WriterTest, FailedCloseOrDirectorySyncIsRaisedWithItsOwnCode) {
  fake::g_file.close_code = 9;
  ExpectInOutError(CreateAndWrite(), 9);
  EXPECT_EQ(fake::g_file.contents.size(), DrawFileSize);
  EXPECT_EQ(fake::g_file.operations.back(), "close") << "no directory sync after a failed close";

  fake::g_file = fake::File{};
  fake::g_standard_error.clear();
  fake::g_file.sync_directory_code = 5;
  ExpectInOutError(CreateAndWrite(), 5);
  EXPECT_EQ(fake::g_file.closes, 1);
}

TEST_F(WriterTest, TakenNameIsLeftToItsFileAndAFreshNameTaken) {
  fake::g_file.taken_names = 2;
  EXPECT_FALSE(CreateAndWrite().has_value());
  EXPECT_EQ(fake::g_file.tried_names,
            (std::vector<std::string>{"x.TXT", "pivra-2026-03-07-09-05-031234.TXT",
                                      "pivra-2026-03-07-09-05-031235.TXT"}))
      << "the clock and counter are read afresh for each name";
  EXPECT_EQ(std::string(g_draw_file.name), "pivra-2026-03-07-09-05-031235.TXT");
  ExpectDrawFileLayout(fake::g_file.contents);

  fake::g_file = fake::File{};
  fake::g_file.taken_names = NameAttempts;
  ExpectInOutError(CreateAndWrite(), g_platform.file_exists_code);
  EXPECT_EQ(fake::g_file.tried_names.size(), NameAttempts);
  EXPECT_TRUE(fake::g_file.writes.empty());
}

TEST_F(WriterTest, HandleOfNoKnownTypeFailsWith105AndAFailedQueryWithItsCode) {
  fake::g_file.type = FileType::Unknown;
  ExpectInOutError(CreateAndWrite(), 105);
  EXPECT_EQ(fake::g_file.closes, 1);
  EXPECT_TRUE(fake::g_file.writes.empty());

  fake::g_file = fake::File{};
  fake::g_standard_error.clear();
  fake::g_file.type_code = 9;
  ExpectInOutError(CreateAndWrite(), 9);
  EXPECT_EQ(fake::g_file.closes, 1);
  EXPECT_TRUE(fake::g_file.writes.empty());
}

}  // namespace
}  // namespace pivra

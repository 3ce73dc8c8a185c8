// The Linux layer on real files: what the fake cannot vouch for.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "platform/platform.h"
#include "temp_dir.h"

namespace pivra {
namespace {

namespace fs = std::filesystem;

class LinuxPlatformTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = MakeTempDir("pivra-layer"); }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

std::string Contents(const fs::path& file) {
  std::string text;
  std::ifstream(file) >> text;
  return text;
}

TEST_F(LinuxPlatformTest, CreationLeavesWhateverHasTheNameAlone) {
  const fs::path old_file = dir_ / "old.TXT";
  std::ofstream(old_file) << "keep";
  fs::create_symlink(old_file, dir_ / "planted.TXT");
  FileHandle handle = -1;
  EXPECT_EQ(g_platform.create_file(old_file.c_str(), &handle), g_platform.file_exists_code);
  EXPECT_EQ(g_platform.create_file((dir_ / "planted.TXT").c_str(), &handle),
            g_platform.file_exists_code);
  EXPECT_EQ(Contents(old_file), "keep");
}

TEST_F(LinuxPlatformTest, NewFileIsWrittenAndFileTypesAreTold) {
  const fs::path file = dir_ / "new.TXT";
  FileHandle handle = -1;
  ASSERT_EQ(g_platform.create_file(file.c_str(), &handle), 0);
  FileType type = FileType::Unknown;
  EXPECT_EQ(g_platform.get_file_type(handle, &type), 0);
  EXPECT_EQ(type, FileType::Disk);
  const uint8_t bytes[] = {'a', 'b'};
  uint32_t written = 0;
  EXPECT_EQ(g_platform.write_file(handle, bytes, 2, &written), 0);
  EXPECT_EQ(written, 2U);
  EXPECT_EQ(g_platform.flush_file(handle), 0);
  EXPECT_EQ(g_platform.close_file(handle), 0);
  EXPECT_EQ(g_platform.close_file(handle), EBADF);
  EXPECT_EQ(Contents(file), "ab");
  const fs::path previous = fs::current_path();
  fs::current_path(dir_);
  EXPECT_EQ(g_platform.sync_directory(), 0);
  fs::current_path(previous);

  handle = open("/dev/null", O_WRONLY);
  ASSERT_GE(handle, 0);
  EXPECT_EQ(g_platform.get_file_type(handle, &type), 0);
  EXPECT_EQ(type, FileType::Char);
  EXPECT_EQ(g_platform.flush_file(handle), EINVAL) << "a device is never flushed by a run";
  g_platform.close_file(handle);
  int pipe_ends[2];
  ASSERT_EQ(pipe(pipe_ends), 0);
  EXPECT_EQ(g_platform.get_file_type(pipe_ends[0], &type), 0);
  EXPECT_EQ(type, FileType::Pipe);
  close(pipe_ends[0]);
  close(pipe_ends[1]);
  EXPECT_EQ(g_platform.get_file_type(-1, &type), EBADF) << "the system's code, not 105";
}

TEST(LinuxPlatform, FindsTheRunningExecutable) {
  ModuleInfo module{};
  ASSERT_TRUE(g_platform.find_module(reinterpret_cast<const void*>(&g_platform), &module));
  EXPECT_STREQ(module.name, "unit_tests");
  EXPECT_LE(module.base, reinterpret_cast<std::uintptr_t>(&g_platform));
}

TEST(LinuxPlatform, SystemSourceFillsLargeRequests) {
  CryptProvider provider = 0;
  ASSERT_NE(g_platform.crypt_acquire_context(&provider, nullptr, nullptr, ProvRsaFull,
                                             CryptVerifyContext),
            0);
  uint8_t bytes[2068] = {};
  ASSERT_NE(g_platform.crypt_gen_random(provider, sizeof bytes, bytes), 0);
  int zeros = 0;
  for (const uint8_t byte : bytes) zeros += byte == 0 ? 1 : 0;
  EXPECT_LT(zeros, 40) << "2068 random bytes hold about eight zeros";
  g_platform.crypt_release_context(provider, 0);
}

}  // namespace
}  // namespace pivra

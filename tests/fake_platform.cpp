#include "fake_platform.h"

#include <cstring>

#include "run/failure.h"

namespace pivra::fake {

Provider g_provider;
File g_file;
std::string g_standard_error;

namespace {

PlatformOps g_native{};

int Acquire(CryptProvider* provider, const char*, const char*, uint32_t type, uint32_t flags) {
  EXPECT_EQ(type, ProvRsaFull);
  EXPECT_EQ(flags, CryptVerifyContext);
  ++g_provider.acquires;
  *provider = 42;
  return g_provider.acquire_ok ? 1 : 0;
}

int Generate(CryptProvider provider, uint32_t length, uint8_t* buffer) {
  EXPECT_EQ(provider, 42U);
  g_provider.requests.push_back(length);
  if (!g_provider.generate_ok) return 0;
  if (g_provider.bytes.empty()) {
    // The system's own source wants a handle of its own: 42 means nothing to Windows.
    CryptProvider native = 0;
    if (g_native.crypt_acquire_context(&native, nullptr, nullptr, ProvRsaFull,
                                       CryptVerifyContext) == 0) {
      return 0;
    }
    const int ok = g_native.crypt_gen_random(native, length, buffer);
    g_native.crypt_release_context(native, 0);
    return ok;
  }
  for (uint32_t i = 0; i < length; ++i) buffer[i] = g_provider.bytes[i % g_provider.bytes.size()];
  return 1;
}

int Release(CryptProvider provider, uint32_t) {
  EXPECT_EQ(provider, 42U);
  ++g_provider.releases;
  return 1;
}

int Counter(int64_t* count) {
  *count = g_provider.counter;
  return g_provider.counter_ok ? 1 : 0;
}

uint32_t Ticks() { return g_provider.ticks; }

int32_t Clock(LocalTime* time) {
  *time = g_file.time;
  return g_file.clock_code;
}

// Two ticks, so that each read gives the next counter text.
uint64_t TimeStampCounter() {
  const uint64_t counter = g_file.counter;
  g_file.counter += 2;
  return counter;
}

int32_t Create(const char* name, FileHandle* handle) {
  g_file.name = name;
  g_file.tried_names.emplace_back(name);
  if (g_file.taken_names > 0) {
    --g_file.taken_names;
    return g_platform.file_exists_code;
  }
  *handle = 7;
  return g_file.create_code;
}

int32_t Type(FileHandle, FileType* type) {
  *type = g_file.type;
  return g_file.type_code;
}

int32_t Write(FileHandle handle, const uint8_t* bytes, uint32_t length, uint32_t* written) {
  EXPECT_EQ(handle, 7);
  g_file.writes.push_back(length);
  g_file.operations.emplace_back("write");
  *written = length;
  const int32_t code =
      g_file.write_rule ? g_file.write_rule(g_file.writes.size(), length, written) : 0;
  if (code == 0) g_file.contents.append(reinterpret_cast<const char*>(bytes), *written);
  return code;
}

int32_t Flush(FileHandle handle) {
  EXPECT_EQ(handle, 7);
  g_file.operations.emplace_back("flush");
  return g_file.flush_code;
}

int32_t Close(FileHandle) {
  ++g_file.closes;
  g_file.operations.emplace_back("close");
  return g_file.close_code;
}

int32_t SyncDirectory() {
  g_file.operations.emplace_back("sync directory");
  return g_file.sync_directory_code;
}

void StandardError(const char* text, uint32_t length) { g_standard_error.append(text, length); }

void Exit(int status) { throw ProcessExit{status}; }

}  // namespace

std::string ReportedName() {
  const std::string prefix = "Exception ";
  const std::string& report = g_standard_error;
  if (report.compare(0, prefix.size(), prefix) != 0) return "";
  return report.substr(prefix.size(), report.find(' ', prefix.size()) - prefix.size());
}

std::string ReportedText() {
  const std::size_t start = g_standard_error.find("\r\n");
  if (start == std::string::npos) return "";
  const std::size_t end = g_standard_error.find("\r\n", start + 2);
  return g_standard_error.substr(start + 2, end - start - 2);
}

std::string InOutText(int32_t code) {
  char text[FailureTextCapacity];
  InOutErrorText(code, text, sizeof text);
  return std::string(text) + ".";
}

std::vector<uint8_t> PatternBytes(std::size_t length, uint32_t seed) {
  std::vector<uint8_t> bytes(length);
  for (uint8_t& byte : bytes) {
    seed = seed * 1664525U + 1013904223U;
    byte = static_cast<uint8_t>(seed >> 24U);
  }
  return bytes;
}

void PlatformTest::SetUp() {
  saved_ = g_platform;
  g_native = g_platform;
  g_provider = Provider{};
  g_file = File{};
  g_standard_error.clear();
  g_platform.crypt_acquire_context = Acquire;
  g_platform.crypt_gen_random = Generate;
  g_platform.crypt_release_context = Release;
  g_platform.query_performance_counter = Counter;
  g_platform.get_tick_count = Ticks;
  g_platform.get_local_time = Clock;
  g_platform.read_time_stamp_counter = TimeStampCounter;
  g_platform.create_file = Create;
  g_platform.get_file_type = Type;
  g_platform.write_file = Write;
  g_platform.flush_file = Flush;
  g_platform.close_file = Close;
  g_platform.sync_directory = SyncDirectory;
  g_platform.write_standard_error = StandardError;
  g_platform.exit_process = Exit;
}

void PlatformTest::TearDown() { g_platform = saved_; }

}  // namespace pivra::fake

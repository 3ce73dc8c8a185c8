// The one layer between the draw run and the operating system: a table of
// operations, one implementation per platform, that tests swap to inject faults.
#pragma once

#include <cstdint>

#include "random/wcrypt2.h"

namespace pivra {

using FileHandle = std::intptr_t;

enum class FileType : uint8_t { Unknown, Disk, Char, Pipe };

struct LocalTime {
  uint16_t year;
  uint16_t month;
  uint16_t day;
  uint16_t hour;
  uint16_t minute;
  uint16_t second;
};

constexpr unsigned ModuleNameCapacity = 261;  // 260 characters and the terminator

struct ModuleInfo {
  char name[ModuleNameCapacity];  // file name without its directory
  std::uintptr_t base;            // where the module's image starts
};

struct PlatformOps {
  // Makes the process a console program whose failures reach standard error.
  void (*start_process)();

  CryptAcquireContextFn crypt_acquire_context;
  CryptGenRandomFn crypt_gen_random;
  CryptReleaseContextFn crypt_release_context;

  // Fallback seed: a free-running counter, non-zero on success, and a tick count.
  int (*query_performance_counter)(int64_t* count);
  uint32_t (*get_tick_count)();

  // 0, or the system's code where the clock cannot be read as a local date.
  int32_t (*get_local_time)(LocalTime* time);
  uint64_t (*read_time_stamp_counter)();

  // Each returns 0 on success or the system's error code. A new file only: a
  // name already taken fails with `file_exists_code`.
  int32_t (*create_file)(const char* name, FileHandle* handle);
  // `Unknown` where the platform tells no type; a code where it cannot be asked.
  int32_t (*get_file_type)(FileHandle handle, FileType* type);
  // One write call; `written` may fall short of `length`.
  int32_t (*write_file)(FileHandle handle, const uint8_t* bytes, uint32_t length,
                        uint32_t* written);
  // Flushes what was written to the file to stable storage.
  int32_t (*flush_file)(FileHandle handle);
  int32_t (*close_file)(FileHandle handle);
  // Makes the current directory's new entries durable; 0 where the file
  // system cannot sync a directory or the platform has no such call.
  int32_t (*sync_directory)();

  // One write call, repeated only for what a short write left over.
  void (*write_standard_error)(const char* text, uint32_t length);
  // False when no module holds the address.
  bool (*find_module)(const void* address, ModuleInfo* module);
  void (*char_to_oem)(char* text);
  void (*exit_process)(int status);

  // The code a write that reports success but writes nothing fails with.
  int32_t write_fault_code;
  // The code creating a file fails with when its name is taken.
  int32_t file_exists_code;
  // The error texts are keyed by Windows codes; elsewhere only "File not found" holds.
  bool windows_error_codes;
};

// The running platform's operations; tests replace single entries.
extern PlatformOps g_platform;

}  // namespace pivra

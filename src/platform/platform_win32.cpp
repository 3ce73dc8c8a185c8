// Windows: the system source is the default cryptographic service provider; the
// rest maps onto Win32 calls. Only this file sees <windows.h>: its macros (CreateFile,
// ReadTimeStampCounter, ...) would rewrite the portable code's names.
#include <windows.h>
// <wincrypt.h> builds on <windows.h>, so that comes first.
#include <intrin.h>
#include <wincrypt.h>

#include <cstring>

#include "platform/platform.h"

namespace pivra {
namespace {

// The longest path GetModuleFileNameA can hand back, with its terminator.
constexpr DWORD LongPathCapacity = 32768;

// A failed call should always leave a code; should it not, a failure must still
// read as one, never as success.
int32_t LastErrorOr(DWORD fallback) {
  const DWORD code = GetLastError();
  return static_cast<int32_t>(code != ERROR_SUCCESS ? code : fallback);
}

// The portable table keeps handles as integers; Windows wants them back as pointers.
HANDLE AsHandle(FileHandle handle) {
  return reinterpret_cast<HANDLE>(handle);  // NOLINT(performance-no-int-to-ptr)
}

// Linked for the console subsystem: standard error is there from the start.
void StartWin32Process() {}

int AcquireWin32Context(CryptProvider* provider, const char* container, const char* provider_name,
                        uint32_t type, uint32_t flags) {
  HCRYPTPROV handle = 0;
  if (!CryptAcquireContextA(&handle, container, provider_name, type, flags)) return 0;
  *provider = handle;
  return 1;
}

int GenWin32Random(CryptProvider provider, uint32_t length, uint8_t* buffer) {
  return CryptGenRandom(provider, length, buffer) ? 1 : 0;
}

int ReleaseWin32Context(CryptProvider provider, uint32_t flags) {
  return CryptReleaseContext(provider, flags) ? 1 : 0;
}

int QueryWin32PerformanceCounter(int64_t* count) {
  LARGE_INTEGER value{};
  if (!QueryPerformanceCounter(&value)) return 0;
  *count = value.QuadPart;
  return 1;
}

uint32_t GetWin32TickCount() { return GetTickCount(); }

int32_t GetWin32LocalTime(LocalTime* time) {
  SYSTEMTIME now{};
  GetLocalTime(&now);  // cannot fail
  *time = LocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
  return 0;
}

uint64_t ReadWin32TimeStampCounter() { return __rdtsc(); }

int32_t CreateWin32File(const char* name, FileHandle* handle) {
  HANDLE file = CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return LastErrorOr(ERROR_OPEN_FAILED);
  *handle = reinterpret_cast<FileHandle>(file);
  return 0;
}

FileType Win32FileType(FileHandle handle) {
  switch (GetFileType(AsHandle(handle))) {
    case FILE_TYPE_UNKNOWN: return FileType::Unknown;
    case FILE_TYPE_CHAR: return FileType::Char;
    case FILE_TYPE_PIPE: return FileType::Pipe;
    default: return FileType::Disk;  // disk, remote and any type yet to come
  }
}

// A handle Windows tells no type of reads as Unknown, whatever the reason.
int32_t GetWin32FileType(FileHandle handle, FileType* type) {
  *type = Win32FileType(handle);
  return 0;
}

int32_t WriteWin32File(FileHandle handle, const uint8_t* bytes, uint32_t length,
                       uint32_t* written) {
  DWORD done = 0;
  if (!WriteFile(AsHandle(handle), bytes, length, &done, nullptr)) {
    return LastErrorOr(ERROR_WRITE_FAULT);
  }
  *written = done;
  return 0;
}

int32_t FlushWin32File(FileHandle handle) {
  return FlushFileBuffers(AsHandle(handle)) ? 0 : LastErrorOr(ERROR_WRITE_FAULT);
}

int32_t CloseWin32File(FileHandle handle) {
  return CloseHandle(AsHandle(handle)) ? 0 : LastErrorOr(ERROR_INVALID_HANDLE);
}

// Win32 documents no way to sync a directory: the file's own flush is as far as it goes.
int32_t SyncWin32Directory() { return 0; }

void WriteWin32StandardError(const char* text, uint32_t length) {
  HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  if (error == nullptr || error == INVALID_HANDLE_VALUE) return;  // nowhere to report to
  while (length > 0) {
    DWORD done = 0;
    if (!WriteFile(error, text, length, &done, nullptr) || done == 0) return;
    text += done;
    length -= done;
  }
}

bool FindWin32Module(const void* address, ModuleInfo* module) {
  MEMORY_BASIC_INFORMATION region{};
  if (VirtualQuery(address, &region, sizeof region) == 0 || region.AllocationBase == nullptr) {
    return false;
  }
  // An image is one allocation: its start is the module handle, wherever it was loaded.
  module->base = reinterpret_cast<std::uintptr_t>(region.AllocationBase);
  static char path[LongPathCapacity];
  const DWORD length =
      GetModuleFileNameA(static_cast<HMODULE>(region.AllocationBase), path, LongPathCapacity);
  if (length == 0 || length >= LongPathCapacity) return true;  // no name, or cut short
  path[length] = '\0';
  const char* name = path;
  for (const char* at = path; *at != '\0'; ++at) {
    if (*at == '\\' || *at == '/') name = at + 1;
  }
  std::strncpy(module->name, name, ModuleNameCapacity - 1);
  module->name[ModuleNameCapacity - 1] = '\0';
  return true;
}

void Win32CharToOem(char* text) { CharToOemA(text, text); }

void ExitWin32Process(int status) { ExitProcess(static_cast<UINT>(status)); }

}  // namespace

PlatformOps g_platform = {
    .start_process = StartWin32Process,
    .crypt_acquire_context = AcquireWin32Context,
    .crypt_gen_random = GenWin32Random,
    .crypt_release_context = ReleaseWin32Context,
    .query_performance_counter = QueryWin32PerformanceCounter,
    .get_tick_count = GetWin32TickCount,
    .get_local_time = GetWin32LocalTime,
    .read_time_stamp_counter = ReadWin32TimeStampCounter,
    .create_file = CreateWin32File,
    .get_file_type = GetWin32FileType,
    .write_file = WriteWin32File,
    .flush_file = FlushWin32File,
    .close_file = CloseWin32File,
    .sync_directory = SyncWin32Directory,
    .write_standard_error = WriteWin32StandardError,
    .find_module = FindWin32Module,
    .char_to_oem = Win32CharToOem,
    .exit_process = ExitWin32Process,
    .write_fault_code = ERROR_WRITE_FAULT,
    .file_exists_code = ERROR_FILE_EXISTS,
    .windows_error_codes = true,
};

}  // namespace pivra

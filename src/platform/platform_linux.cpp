// Linux: the system source is getrandom(2); the rest maps onto POSIX calls.
#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/auxv.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "random/wcrypt2.h"

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

#include "platform/platform.h"

namespace pivra {
namespace {

// A free standard descriptor gets /dev/null, or a pipe's end where there is no
// /dev/null (a sandbox, a namespace without /dev). False when neither can be had.
bool FillStandardDescriptor(int fd) {
  if (fcntl(fd, F_GETFD) >= 0 || errno != EBADF) return true;
  // The lower descriptors are open, so the lowest free one is `fd`.
  if (open("/dev/null", O_RDWR) == fd) return true;
  int ends[2];
  if (pipe(ends) != 0) return false;
  for (const int end : ends) {
    if (end > STDERR_FILENO) close(end);
  }
  return fcntl(fd, F_GETFD) >= 0;
}

void StartProcess() {
  // Past a file-size limit, or with standard error on a closed pipe, a write must
  // fail and the run end with its report and status 1, not by a signal.
  static_cast<void>(std::signal(SIGXFSZ, SIG_IGN));
  static_cast<void>(std::signal(SIGPIPE, SIG_IGN));
  // Started with a standard descriptor closed, the draw file would take its
  // number and a report could land in it: better no run at all.
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (!FillStandardDescriptor(fd)) std::exit(1);
  }
}

// No provider to open: getrandom needs no handle.
int AcquireContext(CryptProvider* provider, const char* /*container*/,
                   const char* /*provider_name*/, uint32_t /*type*/, uint32_t /*flags*/) {
  *provider = 1;
  return 1;
}

// Flags 0: wait until the kernel pool is ready. Short returns and EINTR are
// retried here; any other error is a failure.
int GenRandom(CryptProvider /*provider*/, uint32_t length, uint8_t* buffer) {
  std::size_t done = 0;
  while (done < length) {
    const ssize_t got = getrandom(buffer + done, length - done, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return 0;
    done += static_cast<std::size_t>(got);
  }
  return 1;
}

int ReleaseContext(CryptProvider /*provider*/, uint32_t /*flags*/) { return 1; }

int QueryPerformanceCounter(int64_t* count) {
  timespec now{};
  if (clock_gettime(CLOCK_MONOTONIC, &now) != 0) return 0;
  *count = static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
  return 1;
}

// Milliseconds of the wall clock stand in for the tick count.
uint32_t GetTickCount() {
  timespec now{};
  if (clock_gettime(CLOCK_REALTIME, &now) != 0) return 0;
  return static_cast<uint32_t>(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

int32_t GetLocalTime(LocalTime* time) {
  // A name is never built from a clock that could not be read.
  timespec now{};
  std::tm local{};
  errno = 0;
  if (clock_gettime(CLOCK_REALTIME, &now) != 0 || localtime_r(&now.tv_sec, &local) == nullptr) {
    return errno != 0 ? errno : EOVERFLOW;
  }
  *time = LocalTime{
      static_cast<uint16_t>(local.tm_year + 1900), static_cast<uint16_t>(local.tm_mon + 1),
      static_cast<uint16_t>(local.tm_mday),        static_cast<uint16_t>(local.tm_hour),
      static_cast<uint16_t>(local.tm_min),         static_cast<uint16_t>(local.tm_sec)};
  return 0;
}

uint64_t ReadTimeStampCounter() {
#if defined(__x86_64__) || defined(__i386__)
  return __rdtsc();
#else
  // Any counter that moves between two reads a moment apart will do.
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000000000U + static_cast<uint64_t>(now.tv_nsec);
#endif
}

int32_t CreateFile(const char* name, FileHandle* handle) {
  // The umask applies as for any user file. Whatever already has the name, a
  // file or a symlink, is left alone: that fails with EEXIST.
  const int fd = open(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd < 0) return errno;
  *handle = fd;
  return 0;
}

int32_t GetFileType(FileHandle handle, FileType* type) {
  struct stat status = {};
  if (fstat(static_cast<int>(handle), &status) != 0) return errno;
  if (S_ISCHR(status.st_mode)) {
    *type = FileType::Char;
  } else if (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode)) {
    *type = FileType::Pipe;
  } else {
    *type = FileType::Disk;
  }
  return 0;
}

int32_t WriteFile(FileHandle handle, const uint8_t* bytes, uint32_t length, uint32_t* written) {
  for (;;) {
    const ssize_t done = write(static_cast<int>(handle), bytes, length);
    if (done >= 0) {
      *written = static_cast<uint32_t>(done);
      return 0;
    }
    if (errno != EINTR) return errno;
  }
}

int32_t FlushFile(FileHandle handle) { return fsync(static_cast<int>(handle)) == 0 ? 0 : errno; }

int32_t CloseFile(FileHandle handle) {
  // After EINTR the descriptor is gone on Linux; a retry could close another file.
  return close(static_cast<int>(handle)) == 0 ? 0 : errno;
}

// A new file's name survives a crash only once its directory is synced. Where
// that cannot be done, there is nothing more to do: EINVAL from fsync is a file
// system that cannot sync a directory, and EACCES or EPERM from opening it is a
// drop box, a directory others may add to but not read.
int32_t SyncDirectory() {
  const int directory = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (directory < 0) return errno == EACCES || errno == EPERM ? 0 : errno;
  const int32_t code = fsync(directory) == 0 || errno == EINVAL ? 0 : errno;
  close(directory);
  return code;
}

void WriteStandardError(const char* text, uint32_t length) {
  while (length > 0) {
    const ssize_t done = write(STDERR_FILENO, text, length);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return;  // nowhere left to report to
    text += done;
    length -= static_cast<uint32_t>(done);
  }
}

// The loaded object whose segments hold an address, and where its image (its
// ELF header) starts. dl_iterate_phdr lists the program itself too, also when
// it is linked statically, where dladdr finds no module at all.
struct ModuleSearch {
  std::uintptr_t address;
  std::uintptr_t base;
  const char* path;  // empty for the program itself
};

int HoldsAddress(dl_phdr_info* object, std::size_t /*size*/, void* data) {
  auto* search = static_cast<ModuleSearch*>(data);
  const ElfW(Phdr)* first = nullptr;
  bool holds = false;
  for (ElfW(Half) index = 0; index < object->dlpi_phnum; ++index) {
    const ElfW(Phdr)& segment = object->dlpi_phdr[index];
    if (segment.p_type != PT_LOAD) continue;
    if (first == nullptr) first = &segment;
    holds = holds || search->address - (object->dlpi_addr + segment.p_vaddr) < segment.p_memsz;
  }
  if (!holds) return 0;
  // The first loaded segment maps the file from its start: the header.
  search->base = object->dlpi_addr + first->p_vaddr - first->p_offset;
  search->path = object->dlpi_name;
  return 1;
}

// The file's name without its directory, as GetModuleFileNameA gives it. For
// the program, /proc names the file that runs, marked " (deleted)" once it is
// replaced (a package upgrade); where it cannot (no /proc, a path longer than a
// page), the path the program was started by names it.
bool FindModule(const void* address, ModuleInfo* module) {
  ModuleSearch search{reinterpret_cast<std::uintptr_t>(address), 0, nullptr};
  if (dl_iterate_phdr(HoldsAddress, &search) == 0) return false;
  module->base = search.base;
  static char path[PATH_MAX];
  const char* file = path;
  if (search.path != nullptr && search.path[0] != '\0') {
    file = search.path;
  } else if (const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
             length > 0 && static_cast<std::size_t>(length) < sizeof path) {
    path[length] = '\0';
    constexpr std::size_t Deleted = sizeof " (deleted)" - 1;
    const auto end = static_cast<std::size_t>(length);
    if (end > Deleted && std::strcmp(path + end - Deleted, " (deleted)") == 0) {
      path[end - Deleted] = '\0';
    }
  } else {
    file =
        reinterpret_cast<const char*>(getauxval(AT_EXECFN));  // NOLINT(performance-no-int-to-ptr)
    if (file == nullptr) return true;
  }
  const char* slash = std::strrchr(file, '/');
  const char* name = slash == nullptr ? file : slash + 1;
  std::strncpy(module->name, name, ModuleNameCapacity - 1);
  module->name[ModuleNameCapacity - 1] = '\0';
  return true;
}

// One code page: nothing to convert.
void CharToOem(char* /*text*/) {}

void ExitProcess(int status) { std::exit(status); }

}  // namespace

PlatformOps g_platform = {
    .start_process = StartProcess,
    .crypt_acquire_context = AcquireContext,
    .crypt_gen_random = GenRandom,
    .crypt_release_context = ReleaseContext,
    .query_performance_counter = QueryPerformanceCounter,
    .get_tick_count = GetTickCount,
    .get_local_time = GetLocalTime,
    .read_time_stamp_counter = ReadTimeStampCounter,
    .create_file = CreateFile,
    .get_file_type = GetFileType,
    .write_file = WriteFile,
    .flush_file = FlushFile,
    .close_file = CloseFile,
    .sync_directory = SyncDirectory,
    .write_standard_error = WriteStandardError,
    .find_module = FindModule,
    .char_to_oem = CharToOem,
    .exit_process = ExitProcess,
    .write_fault_code = EIO,
    .file_exists_code = EEXIST,
    .windows_error_codes = false,
};

}  // namespace pivra

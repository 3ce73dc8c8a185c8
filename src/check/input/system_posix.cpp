#include <asm/unistd.h>  // __NR_openat2
#include <fcntl.h>
#include <linux/limits.h>
#include <linux/openat2.h>
#include <sched.h>
#include <sys/poll.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "check/input/system.h"
#include "check/report/escape.h"

namespace pivra {

std::size_t LongestName() { return PATH_MAX - 1; }

int OpenToRead(const char* name) {
  int file = -1;
  do {
    file = open(name, O_RDONLY | O_CLOEXEC);
  } while (file < 0 && errno == EINTR);
  return file;
}

int OpenToReadAhead(const char* name, int64_t& size) {
  // A file of no bytes reads as nothing early or late; procfs calls its files
  // that, whatever they hold.
  struct stat before = {};
  if (stat(name, &before) != 0 || !S_ISREG(before.st_mode) || before.st_size == 0) return -1;
  // /dev/fd/N and /proc/*/fd/N are magic links: through one, a file another
  // thread has open would be read here, where at its turn there is none.
  open_how how = {};
  how.flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  how.resolve = RESOLVE_NO_MAGICLINKS;
  // The kernel's number: glibc before 2.32 (Debian 11) has no SYS_openat2.
  const auto file = static_cast<int>(syscall(__NR_openat2, AT_FDCWD, name, &how, sizeof how));
  if (file < 0) return -1;
  // The name may have been given to another file since: only the one looked at.
  struct stat after = {};
  if (fstat(file, &after) != 0 || after.st_dev != before.st_dev || after.st_ino != before.st_ino) {
    (void)close(file);
    return -1;
  }
  size = after.st_size;
  return file;
}

long ReadSome(int file, char* into, std::size_t size) {
  ssize_t got = 0;
  do {
    got = read(file, into, size);
  } while (got < 0 && errno == EINTR);
  return static_cast<long>(got);
}

void CloseFile(int file) { (void)close(file); }  // read only: nothing to lose

bool Tell(int file, int64_t& at) {
  at = lseek(file, 0, SEEK_CUR);
  return at >= 0;
}

bool SeekTo(int file, int64_t at) { return lseek(file, at, SEEK_SET) == at; }

bool ReadMayWait(int file) {
  pollfd ready{file, POLLIN, 0};
  return poll(&ready, 1, 0) == 0;
}

unsigned UsableCores() {
  cpu_set_t cores;
  if (sched_getaffinity(0, sizeof cores, &cores) != 0) return 1;
  const int count = CPU_COUNT(&cores);
  return count > 1 ? static_cast<unsigned>(count) : 1;
}

std::FILE* OpenTemporaryFile(int& error) {
  const char* folder = std::getenv("TMPDIR");
  if (folder == nullptr || *folder == '\0') folder = "/tmp";
  const int file = open(folder, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  std::FILE* stream = file >= 0 ? fdopen(file, "w+b") : nullptr;
  // A file system without unnamed files: the C library's, made and unlinked in /tmp.
  if (file < 0 && (errno == EOPNOTSUPP || errno == EISDIR)) stream = std::tmpfile();
  if (stream == nullptr) {
    error = errno != 0 ? errno : EIO;
    if (file >= 0) (void)close(file);
    return nullptr;
  }
  (void)std::setvbuf(stream, nullptr, _IONBF, 0);
  return stream;
}

bool SeekFile(std::FILE* file, uint64_t at) {
  return fseeko(file, static_cast<off_t>(at), SEEK_SET) == 0;
}

bool StandardErrorIsTerminal() { return isatty(fileno(stderr)) != 0; }

bool IsRegularFile(const char* name) {
  struct stat info = {};
  return stat(name, &info) == 0 && S_ISREG(info.st_mode);
}

bool IsFolder(const char* name) {
  struct stat info = {};
  return stat(name, &info) == 0 && S_ISDIR(info.st_mode);
}

void ReadStandardInputAsBytes() {}

std::string EscapedName(std::string_view name) { return BackslashEscaped(name); }

}  // namespace pivra

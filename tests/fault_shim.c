/* Preloaded into pivra to play system calls that fail in ways no real setup
 * produces on cue.
 * PIVRA_SHIM_GETRANDOM=fail makes every getrandom call fail with EIO; =short
 * makes the first call fail with EINTR and the rest return at most seven bytes.
 * With PIVRA_SHIM_LOG set, the result of every getrandom call is appended to
 * that file, one line each.
 * PIVRA_SHIM_FSYNC_FILE=n and PIVRA_SHIM_FSYNC_DIRECTORY=n make fsync of a
 * regular file or of a directory fail with errno n.
 * PIVRA_SHIM_PROC=none makes /proc/self/exe unreadable, as where /proc is not
 * mounted. PIVRA_SHIM_UNLINK_SELF=1 removes the program's file as it starts, as
 * a package upgrade replacing it would. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

static ssize_t Logged(ssize_t result) {
  const char* log = getenv("PIVRA_SHIM_LOG");
  FILE* out = log != NULL ? fopen(log, "a") : NULL;
  if (out != NULL) {
    fprintf(out, "%zd\n", result);
    fclose(out);
  }
  return result;
}

ssize_t getrandom(void* buffer, size_t length, unsigned int flags) {
  static int calls;
  static ssize_t (*real)(void*, size_t, unsigned int);
  const char* mode = getenv("PIVRA_SHIM_GETRANDOM");
  if (real == NULL) real = (ssize_t(*)(void*, size_t, unsigned int))dlsym(RTLD_NEXT, "getrandom");
  if (mode != NULL && strcmp(mode, "fail") == 0) {
    errno = EIO;
    return Logged(-1);
  }
  if (mode != NULL && strcmp(mode, "short") == 0) {
    if (calls++ == 0) {
      Logged(-1);
      errno = EINTR;
      return -1;
    }
    if (length > 7) length = 7;
  }
  return Logged(real(buffer, length, flags));
}

int fsync(int fd) {
  static int (*real)(int);
  if (real == NULL) real = (int (*)(int))dlsym(RTLD_NEXT, "fsync");
  struct stat status;
  if (fstat(fd, &status) == 0) {
    const char* error =
        getenv(S_ISDIR(status.st_mode) ? "PIVRA_SHIM_FSYNC_DIRECTORY" : "PIVRA_SHIM_FSYNC_FILE");
    if (error != NULL) {
      errno = atoi(error);
      return -1;
    }
  }
  return real(fd);
}

static int ProcHidden(const char* path) {
  const char* mode = getenv("PIVRA_SHIM_PROC");
  return mode != NULL && strcmp(mode, "none") == 0 && strncmp(path, "/proc/", 6) == 0;
}

ssize_t readlink(const char* path, char* buffer, size_t length) {
  static ssize_t (*real)(const char*, char*, size_t);
  if (real == NULL) real = (ssize_t(*)(const char*, char*, size_t))dlsym(RTLD_NEXT, "readlink");
  if (ProcHidden(path)) {
    errno = ENOENT;
    return -1;
  }
  return real(path, buffer, length);
}

/* What a fortified build calls in place of readlink. */
ssize_t __readlink_chk(const char* path, char* buffer, size_t length, size_t buffer_length) {
  (void)buffer_length;
  return readlink(path, buffer, length);
}

__attribute__((constructor)) static void UnlinkSelf(void) {
  if (getenv("PIVRA_SHIM_UNLINK_SELF") == NULL) return;
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return;
  path[length] = '\0';
  unlink(path);
}

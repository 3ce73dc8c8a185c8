/* Preloaded into pivra to play a system source that fails or delivers in
 * driblets: PIVRA_SHIM_GETRANDOM=fail makes every call fail with EIO;
 * =short makes the first call fail with EINTR and the rest return at most
 * seven bytes. With PIVRA_SHIM_LOG set, the result of every call is appended
 * to that file, one line each. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>

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

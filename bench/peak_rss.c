/* Prints the peak RSS (KiB) of one run of a program. vfork keeps the child from
 * inheriting this process's pages before exec, so the figure is the program's own. */
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc < 2) {
    fputs("usage: peak_rss program [args...]\n", stderr);
    return 2;
  }
  const pid_t child = vfork();
  if (child == 0) {
    execvp(argv[1], argv + 1); /* env, taskset: found on PATH */
    _exit(127);
  }
  int status = 0;
  struct rusage usage;
  if (child < 0 || wait4(child, &status, 0, &usage) < 0) return 1;
  printf("%ld\n", usage.ru_maxrss);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

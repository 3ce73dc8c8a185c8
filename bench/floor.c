/* The floor: the one system request a run cannot do without, and nothing else. */
#include <sys/random.h>

int main(void) {
  unsigned char bytes[2068];
  unsigned long done = 0;
  while (done < sizeof bytes) {
    const long got = getrandom(bytes + done, sizeof bytes - done, 0);
    if (got <= 0) return 1;
    done += (unsigned long)got;
  }
  return 0;
}

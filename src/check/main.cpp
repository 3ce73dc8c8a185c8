#include "check/check_run.h"

#ifdef __MINGW32__
// cmd.exe hands wildcards on as they are: the C runtime expands them, as a shell
// would, so that "pivra-check --fairness archive\*.TXT" works there too.
extern "C" {
int _dowildcard = -1;
}
#endif

int main(int argc, char** argv) { return pivra::RunCheck(argc, argv); }

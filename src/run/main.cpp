#include "platform/platform.h"
#include "run/draw_run.h"

// Arguments are ignored: the run takes no input.
int main() {
  pivra::RunDraw();
  pivra::g_platform.exit_process(0);
  return 0;
}

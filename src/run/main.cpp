#include "platform/platform.h"
#include "run/draw_run.h"

// Arguments are ignored: the run takes no input.
int main() {
  const int status = pivra::RunDraw();
  pivra::g_platform.exit_process(status);
  return status;
}

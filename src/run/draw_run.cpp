#include "run/draw_run.h"

#include <new>

#include "draw/table.h"
#include "platform/platform.h"
#include "random/ISAACP.h"
#include "run/draw_file.h"
#include "run/draw_table.h"
#include "run/failure.h"

namespace pivra {

IsaacState g_generator;
DrawTable g_draw_table;
DrawFile g_draw_file;

namespace {

// Never draw from a weaker seed: a failed system source ends the run, reported.
__attribute__((noinline)) void CheckSeeded(bool seeded) {
  if (!seeded) RaiseSystemRandomError(__builtin_return_address(0));
}

// Nothing in the run allocates; should the runtime run out all the same, say so
// from inside the allocation that failed.
__attribute__((noinline)) void OutOfMemory() { RaiseOutOfMemory(__builtin_return_address(0)); }

}  // namespace

void RunDraw() {
  g_platform.start_process();
  std::set_new_handler(OutOfMemory);
  CheckSeeded(IsaacSeed(g_generator));
  if (NameDrawFile()) CreateDrawFile();
  CheckIOResult();
  BuildDrawTable();
  WriteDrawFile();
}

}  // namespace pivra

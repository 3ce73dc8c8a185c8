#include "run/draw_run.h"

#include <new>

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

// Nothing in the run allocates; should the runtime run out all the same, say so.
__attribute__((noinline)) void ReportOutOfMemory() {
  ReportFailure(OutOfMemoryFailure(__builtin_return_address(0)));
}

}  // namespace

int RunDraw() {
  try {
    g_platform.start_process();
    CheckSeeded(IsaacSeed(g_generator));
    NameDrawFile();
    CreateDrawFile();
    CheckIOResult();
    BuildDrawTable();
    WriteDrawFile();
    return 0;
  } catch (const RunFailure& failure) {
    ReportFailure(failure);
  } catch (const std::bad_alloc&) {
    ReportOutOfMemory();
  }
  return 1;
}

}  // namespace pivra

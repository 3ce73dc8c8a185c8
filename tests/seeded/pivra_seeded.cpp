// pivra with its seed chosen: the system source serves a fixed LCG stream started
// from the number given as the only argument, and the clock and time-stamp counter
// are pinned, so the file, name and all, depends on that number alone. Built for
// every platform, so their files can be compared byte for byte. Test use only.
#include <cstdlib>

#include "platform/platform.h"
#include "run/draw_run.h"

namespace {

uint32_t g_stream = 0;

// The real provider is still acquired and released; only its bytes are chosen.
int ServeStream(pivra::CryptProvider /*provider*/, uint32_t length, uint8_t* buffer) {
  for (uint32_t i = 0; i < length; ++i) {
    g_stream = g_stream * 1664525U + 1013904223U;
    buffer[i] = static_cast<uint8_t>(g_stream >> 24U);
  }
  return 1;
}

// An afternoon hour and single-digit fields, to show the 24-hour clock and zero padding.
int32_t PinnedTime(pivra::LocalTime* time) {
  *time = pivra::LocalTime{2024, 2, 29, 13, 5, 9};
  return 0;
}

uint64_t PinnedCounter() { return 0x9E3779B97F4A7C15U; }

}  // namespace

int main(int argc, char** argv) {
  g_stream = argc > 1 ? static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 0)) : 1U;
  pivra::g_platform.crypt_gen_random = ServeStream;
  pivra::g_platform.get_local_time = PinnedTime;
  pivra::g_platform.read_time_stamp_counter = PinnedCounter;
  pivra::RunDraw();
  pivra::g_platform.exit_process(0);
  return 0;
}

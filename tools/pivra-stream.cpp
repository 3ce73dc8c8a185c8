// Developer tool: seeds exactly as pivra does, then writes the outputs a run would
// draw next to standard output, for outside test batteries.
//   pivra-stream [--bytes N] [--below N] [--reference]
// Outputs go out as little-endian 32-bit words until the pipe closes or N bytes
// are written; --below N writes one byte per bounded draw instead; --reference
// streams the published ISAAC, seeded from the same source, for comparison, its
// bounded draws scaled as pivra's are.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "random/CryptAPI2.h"
#include "random/ISAACP.h"
#include "reference_isaac.h"

namespace {

struct Options {
  uint64_t bytes = UINT64_MAX;
  uint16_t below = 0;
  bool reference = false;
};

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const bool has_value = i + 1 < argc;
    if (std::strcmp(argv[i], "--reference") == 0) {
      options.reference = true;
    } else if (std::strcmp(argv[i], "--bytes") == 0 && has_value) {
      options.bytes = std::strtoull(argv[++i], nullptr, 10);
    } else if (std::strcmp(argv[i], "--below") == 0 && has_value) {
      const unsigned long limit = std::strtoul(argv[++i], nullptr, 10);
      if (limit < 1 || limit > 256) return false;  // one byte per draw
      options.below = static_cast<uint16_t>(limit);
    } else {
      return false;
    }
  }
  return true;
}

bool WriteAll(const unsigned char* bytes, std::size_t length) {
  while (length > 0) {
    const ssize_t done = write(STDOUT_FILENO, bytes, length);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    bytes += done;
    length -= static_cast<std::size_t>(done);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fputs("usage: pivra-stream [--bytes N] [--below N (1..256)] [--reference]\n", stderr);
    return 2;
  }
  // A reader that has had enough closes the pipe; that ends the stream quietly.
  static_cast<void>(std::signal(SIGPIPE, SIG_IGN));
  static pivra::IsaacState state;
  static reference::IsaacContext ctx;
  if (options.reference) {
    if (!pivra::FillSecureRandom(ctx.randrsl, sizeof ctx.randrsl)) return 1;
    reference::RandInit(ctx);
  } else if (!pivra::IsaacSeed(state)) {
    std::fputs("pivra-stream: system random source unavailable\n", stderr);
    return 1;
  }
  unsigned char block[4096];
  uint64_t left = options.bytes;
  while (left > 0) {
    std::size_t length = 0;
    while (length + 4 <= sizeof block) {
      if (options.below != 0) {
        block[length++] = static_cast<unsigned char>(
            options.reference ? pivra::IsaacScaleBelow(reference::Next(ctx), options.below)
                              : pivra::IsaacBelow(state, options.below));
        continue;
      }
      const uint32_t word = options.reference ? reference::Next(ctx) : pivra::IsaacNext(state);
      for (unsigned k = 0; k < 4; ++k)
        block[length++] = static_cast<unsigned char>(word >> (8 * k));
    }
    if (length > left) length = static_cast<std::size_t>(left);
    if (!WriteAll(block, length)) return 0;  // the reader has had enough
    left -= length;
  }
  return 0;
}

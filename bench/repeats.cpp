// Counts equal consecutive outputs of pivra's generator and of the reference ISAAC,
// each seeded from the system source, beside the count predicted for each.
//   repeats [WORDS]   WORDS outputs of each generator, 10^9 by default
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "random/CryptAPI2.h"
#include "random/ISAACP.h"
#include "reference_isaac.h"

namespace {

// pivra: a step whose two look-ups both read the slot it writes (1/256 each) hands
// out the previous result again; the first step of a refill cannot, as cc has just
// been added to bb. The reference repeats by chance alone.
constexpr double PivraRate = 255.0 / 256.0 / 65536.0;
constexpr double ChanceRate = 1.0 / 4294967296.0;

template <typename Next>
void CountRepeats(const char* name, uint64_t words, double rate, Next next) {
  const auto start = std::chrono::steady_clock::now();
  uint64_t repeats = 0;
  uint32_t before = next();
  for (uint64_t n = 1; n < words; ++n) {
    const uint32_t word = next();
    repeats += word == before ? 1U : 0U;
    before = word;
  }
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
  const double expected = rate * static_cast<double>(words - 1);
  std::printf("%-9s %llu words: %llu repeats; predicted %.2f +- %.2f (%.3g per pair); %.2f s\n",
              name, static_cast<unsigned long long>(words),
              static_cast<unsigned long long>(repeats), expected, std::sqrt(expected), rate,
              seconds.count());
}

}  // namespace

int main(int argc, char** argv) {
  const uint64_t words = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000000U;
  if (words < 2) {
    std::fputs("usage: repeats [WORDS (2 or more)]\n", stderr);
    return 2;
  }
  static pivra::IsaacState state;
  static reference::IsaacContext ctx;
  if (!pivra::IsaacSeed(state) || !pivra::FillSecureRandom(ctx.randrsl, sizeof ctx.randrsl)) {
    std::fputs("repeats: system random source unavailable\n", stderr);
    return 1;
  }
  reference::RandInit(ctx);
  CountRepeats("pivra", words, PivraRate, [] { return pivra::IsaacNext(state); });
  CountRepeats("reference", words, ChanceRate, [] { return reference::Next(ctx); });
  return 0;
}

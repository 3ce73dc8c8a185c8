// ISAACP: the 32-bit ISAAC-family generator every draw comes from.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pivra {

constexpr int32_t WarmUpCount = 1000000;
constexpr int32_t SeedBlockSize = 2068;
constexpr unsigned IsaacSize = 256;

// The seed bytes are laid over this record as they come, so its layout is fixed.
struct IsaacState {
  uint32_t mm[IsaacSize];       // the internal pool
  uint32_t randrsl[IsaacSize];  // results of the latest refill, handed out from slot 0 up
  uint32_t aa;                  // accumulator
  uint32_t bb;                  // previous result, chained across refills
  uint32_t cc;                  // refill counter
  uint32_t last;                // the output most recently handed out
  uint16_t index;               // next slot of randrsl; above 255 means used up
};

static_assert(sizeof(IsaacState) == SeedBlockSize, "the seed block covers the whole record");
static_assert(offsetof(IsaacState, randrsl) == 1024);
static_assert(offsetof(IsaacState, aa) == 2048);
static_assert(offsetof(IsaacState, bb) == 2052);
static_assert(offsetof(IsaacState, cc) == 2056);
static_assert(offsetof(IsaacState, last) == 2060);
static_assert(offsetof(IsaacState, index) == 2064);

// One generation pass: 256 new results, pool rewritten in place, index back to 0.
void IsaacRefill(IsaacState& state);

// Moves to the next output (refilling when used up) and keeps it in `last`.
// Inline, as it runs once per output.
inline void IsaacAdvance(IsaacState& state) {
  if (state.index >= IsaacSize) IsaacRefill(state);
  state.last = state.randrsl[state.index];
  state.index = static_cast<uint16_t>(state.index + 1);
}

inline uint32_t IsaacNext(IsaacState& state) {
  IsaacAdvance(state);
  return state.last;
}

// Throws `count` outputs away, leaving exactly the state `count` advances leave.
void IsaacSkip(IsaacState& state, int32_t count);

// floor(n * word / 2^32): a word scaled into 0 .. n - 1, no rejection.
// The two 16-bit halves keep every step below 2^32.
inline uint16_t IsaacScaleBelow(uint32_t word, uint16_t n) {
  const uint32_t limit = n;
  return static_cast<uint16_t>((limit * (word >> 16U) + ((limit * (word & 0xFFFFU)) >> 16U)) >>
                               16U);
}

// One output scaled into 0 .. n - 1.
inline uint16_t IsaacBelow(IsaacState& state, uint16_t n) {
  return IsaacScaleBelow(IsaacNext(state), n);
}

// Overwrites the whole state from the system source, refills and warms up.
// False when the system source failed; the state is then filled from the fallback.
bool IsaacSeed(IsaacState& state);

}  // namespace pivra

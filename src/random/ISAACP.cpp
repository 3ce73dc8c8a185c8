#include "random/ISAACP.h"

#include <cstdint>
#include <cstring>

#include "random/CryptAPI2.h"

namespace pivra {
namespace {

constexpr uint32_t RotateLeft(uint32_t x, unsigned k) { return (x << k) | (x >> (32U - k)); }
constexpr uint32_t RotateRight(uint32_t x, unsigned k) { return (x >> k) | (x << (32U - k)); }

// The pool word whose index is bits `shift` .. `shift` + 7 of `word`. As in the
// reference code, the index is taken as a byte offset (masked with 0x3FC), which
// saves the scaling step; the byte view of the pool is well defined.
inline uint32_t PoolWord(const IsaacState& s, uint32_t word, unsigned shift) {
  uint32_t found = 0;
  const std::size_t offset = (word >> (shift - 2U)) & 0x3FCU;
  std::memcpy(&found, reinterpret_cast<const unsigned char*>(s.mm) + offset, sizeof found);
  return found;
}

// One iteration of the pass, for slot i; `mixed` is the accumulator after this
// slot's mix and `opposite` the slot 128 away. Every read of mm sees the pool as
// rewritten so far in this pass.
inline void IsaacStep(IsaacState& s, unsigned i, unsigned opposite, uint32_t mixed, uint32_t& aa,
                      uint32_t& bb) {
  const uint32_t x = s.mm[i];
  aa = s.mm[opposite] + mixed;
  const uint32_t y = (PoolWord(s, x, 2) + aa) ^ bb;
  s.mm[i] = y;
  bb = PoolWord(s, y, 10) ^ (x + aa);
  s.randrsl[i] = bb;
}

// Four slots, one of each mix, starting at i.
inline void IsaacQuad(IsaacState& s, unsigned i, unsigned opposite, uint32_t& aa, uint32_t& bb) {
  IsaacStep(s, i, opposite, aa ^ RotateLeft(aa, 13), aa, bb);
  IsaacStep(s, i + 1, opposite + 1, aa ^ RotateRight(aa, 6), aa, bb);
  IsaacStep(s, i + 2, opposite + 2, aa ^ RotateLeft(aa, 2), aa, bb);
  IsaacStep(s, i + 3, opposite + 3, aa ^ RotateRight(aa, 16), aa, bb);
}

// On a big-endian host the seed bytes still read as little-endian fields.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
inline void FieldsFromLittleEndian(IsaacState& s) {
  for (uint32_t& word : s.mm) word = __builtin_bswap32(word);
  for (uint32_t& word : s.randrsl) word = __builtin_bswap32(word);
  s.aa = __builtin_bswap32(s.aa);
  s.bb = __builtin_bswap32(s.bb);
  s.cc = __builtin_bswap32(s.cc);
  s.last = __builtin_bswap32(s.last);
  s.index = __builtin_bswap16(s.index);
}
#else
inline void FieldsFromLittleEndian(IsaacState& /*s*/) {}  // the bytes are the fields already
#endif

}  // namespace

void IsaacRefill(IsaacState& state) {
  state.cc += 1;
  uint32_t aa = state.aa;
  uint32_t bb = state.bb + state.cc;
  // Two halves, so the slot 128 away needs no wrap-around.
  for (unsigned i = 0; i < IsaacSize / 2; i += 4) IsaacQuad(state, i, i + 128, aa, bb);
  for (unsigned i = IsaacSize / 2; i < IsaacSize; i += 4) IsaacQuad(state, i, i - 128, aa, bb);
  state.aa = aa;
  state.bb = bb;
  state.index = 0;
}

void IsaacSkip(IsaacState& state, int32_t count) {
  if (count <= 0) return;
  auto remaining = static_cast<uint32_t>(count);
  const uint32_t available = state.index < IsaacSize ? IsaacSize - state.index : 0U;
  if (remaining > available) {
    // Whole refills, the last of them partly used: no per-output bookkeeping.
    remaining -= available;
    const uint32_t refills = (remaining + IsaacSize - 1) / IsaacSize;
    for (uint32_t r = 0; r < refills; ++r) IsaacRefill(state);
    remaining -= (refills - 1) * IsaacSize;
  }
  state.index = static_cast<uint16_t>(state.index + remaining);
  state.last = state.randrsl[state.index - 1U];
}

bool IsaacSeed(IsaacState& state) {
  const bool ok = FillSecureRandom(&state, SeedBlockSize);
  FieldsFromLittleEndian(state);
  IsaacRefill(state);
  IsaacSkip(state, WarmUpCount);
  return ok;
}

}  // namespace pivra

// The published reference ISAAC (32-bit, RANDSIZL 8), rewritten from the
// algorithm as a yardstick for speed and for the test battery. Not used by pivra.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>

namespace reference {

constexpr unsigned RandSize = 256;

struct IsaacContext {
  uint32_t randcnt;
  uint32_t randrsl[RandSize];
  uint32_t randmem[RandSize];
  uint32_t randa;
  uint32_t randb;
  uint32_t randc;
};

inline uint32_t Indirect(const uint32_t* mm, uint32_t x) {
  uint32_t word = 0;
  std::memcpy(&word, reinterpret_cast<const unsigned char*>(mm) + (x & 0x3FCU), sizeof word);
  return word;
}

inline void Step(uint32_t mix, uint32_t& a, uint32_t& b, uint32_t* mm, uint32_t*& m, uint32_t*& m2,
                 uint32_t*& r) {
  const uint32_t x = *m;
  a = (a ^ mix) + *(m2++);
  const uint32_t y = Indirect(mm, x) + a + b;
  *(m++) = y;
  b = Indirect(mm, y >> 8U) + x;
  *(r++) = b;
}

// Out of line, as in the published code, where it lives in its own file.
[[gnu::noinline]] inline void Isaac(IsaacContext& ctx) {
  uint32_t* mm = ctx.randmem;
  uint32_t* r = ctx.randrsl;
  uint32_t a = ctx.randa;
  uint32_t b = ctx.randb + (++ctx.randc);
  uint32_t* m = mm;
  uint32_t* const mend = mm + RandSize / 2;
  uint32_t* m2 = mend;
  while (m < mend) {
    Step(a << 13U, a, b, mm, m, m2, r);
    Step(a >> 6U, a, b, mm, m, m2, r);
    Step(a << 2U, a, b, mm, m, m2, r);
    Step(a >> 16U, a, b, mm, m, m2, r);
  }
  m2 = mm;
  while (m2 < mend) {
    Step(a << 13U, a, b, mm, m, m2, r);
    Step(a >> 6U, a, b, mm, m, m2, r);
    Step(a << 2U, a, b, mm, m, m2, r);
    Step(a >> 16U, a, b, mm, m, m2, r);
  }
  ctx.randb = b;
  ctx.randa = a;
}

// clang-format off
inline void Mix(uint32_t (&v)[8]) {
  v[0] ^= v[1] << 11U; v[3] += v[0]; v[1] += v[2];
  v[1] ^= v[2] >> 2U;  v[4] += v[1]; v[2] += v[3];
  v[2] ^= v[3] << 8U;  v[5] += v[2]; v[3] += v[4];
  v[3] ^= v[4] >> 16U; v[6] += v[3]; v[4] += v[5];
  v[4] ^= v[5] << 10U; v[7] += v[4]; v[5] += v[6];
  v[5] ^= v[6] >> 4U;  v[0] += v[5]; v[6] += v[7];
  v[6] ^= v[7] << 8U;  v[1] += v[6]; v[7] += v[0];
  v[7] ^= v[0] >> 9U;  v[2] += v[7]; v[0] += v[1];
}
// clang-format on

// The published initialisation, with randrsl holding the seed.
inline void RandInit(IsaacContext& ctx) {
  ctx.randa = ctx.randb = ctx.randc = 0;
  uint32_t v[8];
  for (uint32_t& word : v) word = 0x9e3779b9U;
  for (int i = 0; i < 4; ++i) Mix(v);
  for (uint32_t* source : {ctx.randrsl, ctx.randmem}) {
    for (unsigned i = 0; i < RandSize; i += 8) {
      for (unsigned k = 0; k < 8; ++k) v[k] += source[i + k];
      Mix(v);
      for (unsigned k = 0; k < 8; ++k) ctx.randmem[i + k] = v[k];
    }
  }
  Isaac(ctx);
  ctx.randcnt = RandSize;
}

// Results are handed out from slot 255 downward.
inline uint32_t Next(IsaacContext& ctx) {
  if (ctx.randcnt-- == 0) {
    Isaac(ctx);
    ctx.randcnt = RandSize - 1;
  }
  return ctx.randrsl[ctx.randcnt];
}

}  // namespace reference

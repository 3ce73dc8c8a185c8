#include <gtest/gtest.h>

#include <cstring>

#include "fake_platform.h"
#include "random/ISAACP.h"

namespace pivra {
namespace {

// The pass written out literally, one statement per numbered step: an independent
// yardstick for the unrolled loop.
void LiteralRefill(IsaacState& s) {
  s.cc = s.cc + 1;
  s.bb = s.bb + s.cc;
  for (unsigned i = 0; i < 256; ++i) {
    switch (i % 4) {
      case 0: s.aa ^= (s.aa << 13) | (s.aa >> 19); break;
      case 1: s.aa ^= (s.aa >> 6) | (s.aa << 26); break;
      case 2: s.aa ^= (s.aa << 2) | (s.aa >> 30); break;
      default: s.aa ^= (s.aa >> 16) | (s.aa << 16); break;
    }
    const uint32_t x = s.mm[i];
    s.aa = s.mm[(i + 128) % 256] + s.aa;
    const uint32_t y = (s.mm[(x >> 2) % 256] + s.aa) ^ s.bb;
    s.mm[i] = y;
    s.bb = s.mm[(y >> 10) % 256] ^ (x + s.aa);
    s.randrsl[i] = s.bb;
  }
  s.index = 0;
}

IsaacState StateFromBytes(uint32_t seed) {
  IsaacState state{};
  const auto bytes = fake::PatternBytes(sizeof state, seed);
  std::memcpy(&state, bytes.data(), sizeof state);
  return state;
}

void ExpectSameState(const IsaacState& a, const IsaacState& b) {
  EXPECT_EQ(0, std::memcmp(a.mm, b.mm, sizeof a.mm));
  EXPECT_EQ(0, std::memcmp(a.randrsl, b.randrsl, sizeof a.randrsl));
  EXPECT_EQ(a.aa, b.aa);
  EXPECT_EQ(a.bb, b.bb);
  EXPECT_EQ(a.cc, b.cc);
  EXPECT_EQ(a.last, b.last);
  EXPECT_EQ(a.index, b.index);
}

TEST(IsaacRefill, AllZeroStateGivesTheKnownValues) {
  IsaacState state{};
  state.last = 12345;
  IsaacRefill(state);
  EXPECT_EQ(state.cc, 1U);
  EXPECT_EQ(state.aa, 0U);
  EXPECT_EQ(state.bb, 1U);
  // Slot 0 reads its own new pool word: a pass that read the old word gives 0 here.
  for (unsigned i = 0; i < 128; ++i) ASSERT_EQ(state.randrsl[i], 1U) << "slot " << i;
  EXPECT_EQ(state.randrsl[128], 0U);
  EXPECT_EQ(state.randrsl[129], 1U << 26);  // a shift in place of the rotation gives 0
  EXPECT_EQ(state.index, 0U);
  EXPECT_EQ(state.last, 12345U) << "a refill leaves last alone";
  IsaacRefill(state);
  EXPECT_EQ(state.randrsl[0], 3U);
}

TEST(IsaacRefill, MatchesTheLiteralPassOverRandomStates) {
  for (uint32_t seed = 1; seed <= 8; ++seed) {
    IsaacState fast = StateFromBytes(seed);
    IsaacState literal = fast;
    for (int pass = 0; pass < 3; ++pass) {
      IsaacRefill(fast);
      LiteralRefill(literal);
    }
    ExpectSameState(fast, literal);
  }
}

// When both look-ups of one step read the slot being rewritten, y = (x + aa) ^ bb and
// the result y ^ (x + aa) is bb again: the output repeats the one before. Slot 0 is
// spared only because cc has just been added to bb; any other slot shows it.
TEST(IsaacRefill, RepeatsTheOutputBeforeWhenBothLookUpsReadTheSlotItWrites) {
  constexpr unsigned i = 1;  // only slot 0's step comes before, and it does not read slot 1
  IsaacState state = StateFromBytes(9);
  state.mm[i] = i << 2U;  // bits 2..9: the first look-up reads x itself
  IsaacState probe = state;
  IsaacRefill(probe);
  const uint32_t bb = probe.randrsl[i - 1];
  const uint32_t aa = (probe.mm[i] ^ bb) - state.mm[i];  // y = (x + aa) ^ bb, solved for aa
  ASSERT_NE(probe.randrsl[i], bb);

  // Bits 10..17 of x, chosen so that bits 10..17 of y are i too.
  const uint32_t sum = ((state.mm[i] + aa) >> 10U) & 255U;
  state.mm[i] += (((i ^ (bb >> 10U)) - sum) & 255U) << 10U;
  state.index = IsaacSize;
  IsaacSkip(state, i);
  ASSERT_EQ(state.last, bb) << "slot 0's step read slot 1";
  EXPECT_EQ(IsaacNext(state), bb);
}

TEST(IsaacNext, HandsOutSlotsInOrderAndRefillsOnlyWhenUsedUp) {
  IsaacState state = StateFromBytes(5);
  state.index = 255;
  const uint32_t slot255 = state.randrsl[255];
  const uint32_t cc = state.cc;
  EXPECT_EQ(IsaacNext(state), slot255);
  EXPECT_EQ(state.cc, cc) << "slot 255 needs no refill";
  EXPECT_EQ(state.index, 256U);

  for (const uint16_t used_up : {uint16_t{256}, uint16_t{300}, uint16_t{65535}}) {
    IsaacState a = StateFromBytes(6);
    a.index = used_up;
    IsaacState expected = a;
    IsaacRefill(expected);
    EXPECT_EQ(IsaacNext(a), expected.randrsl[0]) << used_up;
    EXPECT_EQ(IsaacNext(a), expected.randrsl[1]) << used_up;
    EXPECT_EQ(a.last, expected.randrsl[1]);
  }

  IsaacState b = StateFromBytes(7);
  IsaacRefill(b);
  IsaacState expected = b;
  for (unsigned i = 0; i < 256; ++i) ASSERT_EQ(IsaacNext(b), expected.randrsl[i]);
  IsaacRefill(expected);
  EXPECT_EQ(IsaacNext(b), expected.randrsl[0]) << "the 257th call refills";
}

TEST(IsaacSkip, LeavesExactlyTheStateOfOneAdvanceAtATime) {
  const uint16_t starts[] = {0, 1, 63, 64, 255, 256, 300, 65535};
  const int32_t counts[] = {1, 2, 191, 192, 193, 255, 256, 257, 511, 512, 513, 100000};
  for (const uint16_t start : starts) {
    for (const int32_t count : counts) {
      IsaacState fast = StateFromBytes(start + 11U);
      fast.index = start;
      IsaacState slow = fast;
      IsaacSkip(fast, count);
      for (int32_t i = 0; i < count; ++i) IsaacAdvance(slow);
      SCOPED_TRACE(testing::Message() << "index " << start << ", count " << count);
      ExpectSameState(fast, slow);
    }
  }
}

TEST(IsaacSkip, ZeroOrNegativeCountChangesNothing) {
  for (const int32_t count : {0, -1, -1000000}) {
    IsaacState state = StateFromBytes(3);
    const IsaacState before = state;
    IsaacSkip(state, count);
    ExpectSameState(state, before);
  }
}

TEST(IsaacBelow, ScalesOneOutputExactly) {
  const uint32_t outputs[] = {0U,          1U,          0xFFFFU,     0x10000U,    0x7FFFFFFFU,
                              0x80000000U, 0xFFFF0000U, 0xFFFFFFFFU, 0x12345678U, 0xDEADBEEFU};
  const uint16_t limits[] = {0, 1, 2, 3, 7, 79, 80, 1000, 65535};
  for (const uint16_t n : limits) {
    IsaacState state{};
    IsaacRefill(state);
    for (unsigned i = 0; i < std::size(outputs); ++i) state.randrsl[i] = outputs[i];
    state.index = 0;
    for (unsigned i = 0; i < std::size(outputs); ++i) {
      const auto exact = static_cast<uint16_t>((uint64_t{n} * outputs[i]) >> 32U);
      EXPECT_EQ(IsaacBelow(state, n), exact) << "n " << n << ", output " << outputs[i];
      EXPECT_EQ(state.index, i + 1) << "one output per draw, even for n 0 and 1";
    }
  }
}

}  // namespace
}  // namespace pivra

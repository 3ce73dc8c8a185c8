#include <gtest/gtest.h>

#include <cstring>

#include "fake_platform.h"
#include "random/CryptAPI2.h"
#include "random/ISAACP.h"

namespace pivra {
namespace {

using SeedingTest = fake::PlatformTest;

std::vector<uint8_t> Fallback(std::size_t length) {
  std::vector<uint8_t> bytes(length);
  FillFallbackRandom(bytes.data(), static_cast<int32_t>(length));
  return bytes;
}

TEST_F(SeedingTest, FallbackBytesFromAZeroCounterAreTheKnownOnes) {
  fake::g_provider.counter = 0;
  EXPECT_EQ(Fallback(8), (std::vector<uint8_t>{0x00, 0x08, 0xDC, 0x33, 0x45, 0xAB, 0x51, 0x29}));
}

TEST_F(SeedingTest, FallbackUsesOnlyTheCounterLowBitsAndRestoresItsSeed) {
  FallbackSeed = 0xCAFEF00DU;
  fake::g_provider.counter = 0x1234;
  const auto low = Fallback(64);
  fake::g_provider.counter = 0x7777000000001234;
  EXPECT_EQ(Fallback(64), low);
  EXPECT_EQ(FallbackSeed, 0xCAFEF00DU);

  fake::g_provider.counter_ok = false;
  fake::g_provider.ticks = 0x1234;
  EXPECT_EQ(Fallback(64), low) << "the tick count stands in for a failed counter";

  uint8_t untouched = 0x5A;
  FillFallbackRandom(&untouched, 0);
  FillFallbackRandom(&untouched, -3);
  EXPECT_EQ(untouched, 0x5A);
  EXPECT_EQ(FallbackSeed, 0xCAFEF00DU);
}

TEST_F(SeedingTest, WorkingSourceIsOneRequestOfTheWholeStateAndReleased) {
  IsaacState state{};
  EXPECT_TRUE(IsaacSeed(state));
  EXPECT_EQ(fake::g_provider.requests, std::vector<uint32_t>{2068});
  EXPECT_EQ(fake::g_provider.acquires, 1);
  EXPECT_EQ(fake::g_provider.releases, 1);
  EXPECT_EQ(state.index, 64U) << "refill plus a million outputs leaves index at 64";
}

TEST_F(SeedingTest, UnacquiredProviderFallsBackWithoutRelease) {
  fake::g_provider.acquire_ok = false;
  fake::g_provider.counter = 0;
  IsaacState state{};
  EXPECT_FALSE(IsaacSeed(state));
  EXPECT_EQ(fake::g_provider.releases, 0);
  EXPECT_TRUE(fake::g_provider.requests.empty());
  EXPECT_EQ(state.index, 64U) << "refilled and warmed up all the same";

  std::vector<uint8_t> bytes = Fallback(sizeof(IsaacState));
  IsaacState expected{};
  std::memcpy(&expected, bytes.data(), sizeof expected);
  IsaacRefill(expected);
  IsaacSkip(expected, WarmUpCount);
  EXPECT_EQ(0, std::memcmp(&state, &expected, sizeof state)) << "filled from the fallback";
}

TEST_F(SeedingTest, FailedRequestFallsBackAndReleases) {
  fake::g_provider.generate_ok = false;
  IsaacState state{};
  EXPECT_FALSE(IsaacSeed(state));
  EXPECT_EQ(fake::g_provider.requests.size(), 1U);
  EXPECT_EQ(fake::g_provider.releases, 1);
  EXPECT_EQ(state.index, 64U);
}

TEST_F(SeedingTest, SeedBytesBecomeTheStateLittleEndianAndTheirIndexNeverSelects) {
  auto bytes = fake::PatternBytes(SeedBlockSize, 2024);
  bytes[1024] = 0x01;  // randrsl[0] = 0x..01 read little-endian
  IsaacState expected{};
  for (unsigned i = 0; i < 256; ++i) {
    expected.mm[i] = uint32_t{bytes[4 * i]} | uint32_t{bytes[4 * i + 1]} << 8U |
                     uint32_t{bytes[4 * i + 2]} << 16U | uint32_t{bytes[4 * i + 3]} << 24U;
  }
  auto word = [&](std::size_t at) {
    return uint32_t{bytes[at]} | uint32_t{bytes[at + 1]} << 8U | uint32_t{bytes[at + 2]} << 16U |
           uint32_t{bytes[at + 3]} << 24U;
  };
  expected.aa = word(2048);
  expected.bb = word(2052);
  expected.cc = word(2056);
  IsaacRefill(expected);
  IsaacSkip(expected, WarmUpCount);

  for (const uint16_t index : {uint16_t{0}, uint16_t{7}, uint16_t{0xFFFF}}) {
    bytes[2064] = static_cast<uint8_t>(index);
    bytes[2065] = static_cast<uint8_t>(index >> 8U);
    fake::g_provider.bytes = bytes;
    IsaacState state{};
    ASSERT_TRUE(IsaacSeed(state));
    EXPECT_EQ(IsaacNext(state), expected.randrsl[64]) << "seed index " << index;
    EXPECT_EQ(0, std::memcmp(state.mm, expected.mm, sizeof state.mm));
  }
}

}  // namespace
}  // namespace pivra

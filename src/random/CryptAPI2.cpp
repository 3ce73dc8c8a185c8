#include "random/CryptAPI2.h"

#include <cstdint>

#include "platform/platform.h"
#include "random/wcrypt2.h"

namespace pivra {

uint32_t FallbackSeed = 0;

bool FillSecureRandom(void* buffer, int32_t length) {
  CryptProvider provider = 0;
  if (g_platform.crypt_acquire_context(&provider, nullptr, nullptr, ProvRsaFull,
                                       CryptVerifyContext) == 0) {
    FillFallbackRandom(buffer, length);
    return false;
  }
  const bool ok = g_platform.crypt_gen_random(provider, static_cast<uint32_t>(length),
                                              static_cast<uint8_t*>(buffer)) != 0;
  if (!ok) FillFallbackRandom(buffer, length);
  g_platform.crypt_release_context(provider, 0);
  return ok;
}

void FillFallbackRandom(void* buffer, int32_t length) {
  const uint32_t saved = FallbackSeed;
  int64_t counter = 0;
  FallbackSeed = g_platform.query_performance_counter(&counter) != 0
                     ? static_cast<uint32_t>(counter)
                     : g_platform.get_tick_count();
  auto* bytes = static_cast<uint8_t*>(buffer);
  for (int32_t i = 0; i < length; ++i) {
    FallbackSeed = FallbackSeed * 134775813U + 1U;
    bytes[i] = static_cast<uint8_t>(FallbackSeed >> 24U);  // (seed * 256) >> 32 in 64 bits
  }
  FallbackSeed = saved;
}

}  // namespace pivra

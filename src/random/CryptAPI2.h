// CryptAPI2: filling a buffer from the system's cryptographic source.
#pragma once

#include <cstdint>

namespace pivra {

// State of the fallback filler's LCG; the filler restores it after every use.
extern uint32_t FallbackSeed;

// True only when the system source filled all `length` bytes; otherwise the
// bytes come from FillFallbackRandom and the caller must not trust them.
bool FillSecureRandom(void* buffer, int32_t length);

// Weak filler seeded from the performance counter. Never use its bytes as a seed.
void FillFallbackRandom(void* buffer, int32_t length);

}  // namespace pivra

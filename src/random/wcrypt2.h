// wcrypt2: the cryptographic service provider as the system source is reached.
#pragma once

#include <cstdint>

namespace pivra {

using CryptProvider = std::uintptr_t;

constexpr uint32_t ProvRsaFull = 1;
constexpr uint32_t CryptVerifyContext = 0xF0000000U;

// Each returns non-zero on success, as the system's own functions do.
using CryptAcquireContextFn = int (*)(CryptProvider* provider, const char* container,
                                      const char* provider_name, uint32_t type, uint32_t flags);
using CryptGenRandomFn = int (*)(CryptProvider provider, uint32_t length, uint8_t* buffer);
using CryptReleaseContextFn = int (*)(CryptProvider provider, uint32_t flags);

}  // namespace pivra

#include "check/copies.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <numeric>
#include <string_view>
#include <vector>

namespace pivra {
namespace {

constexpr std::size_t FirstSize = 1024;

// FNV-1a over the whole file, never 0, which marks a free slot.
uint64_t Fingerprint(std::string_view bytes) {
  const uint64_t hash = std::accumulate(
      bytes.begin(), bytes.end(), uint64_t{14695981039346656037U},
      [](uint64_t h, char c) { return (h ^ static_cast<unsigned char>(c)) * 1099511628211U; });
  return hash != 0 ? hash : 1;
}

// The slot holding `fingerprint`, or the free one where it belongs.
std::size_t SlotOf(const std::vector<uint64_t>& slots, uint64_t fingerprint) {
  const std::size_t mask = slots.size() - 1;
  // FNV's low bits alone are poorly mixed: spread the high ones over them.
  std::size_t at = static_cast<std::size_t>((fingerprint * 0x9E3779B97F4A7C15U) >> 32U) & mask;
  while (slots[at] != 0 && slots[at] != fingerprint) at = (at + 1) & mask;
  return at;
}

void Grow(CopyDetector& copies) {
  std::vector<uint64_t> old(std::max(FirstSize, 2 * copies.slots.size()));
  old.swap(copies.slots);
  for (const uint64_t fingerprint : old) {
    if (fingerprint != 0) copies.slots[SlotOf(copies.slots, fingerprint)] = fingerprint;
  }
}

}  // namespace

bool SeenBefore(CopyDetector& copies, std::string_view bytes) {
  if (2 * (copies.used + 1) > copies.slots.size()) Grow(copies);
  const uint64_t fingerprint = Fingerprint(bytes);
  uint64_t& slot = copies.slots[SlotOf(copies.slots, fingerprint)];
  if (slot == fingerprint) return true;
  slot = fingerprint;
  ++copies.used;
  return false;
}

}  // namespace pivra

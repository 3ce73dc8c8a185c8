#include "check/work/copies.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <string_view>
#include <vector>

namespace pivra {
namespace {

constexpr std::size_t FirstSize = 1024;

// The slot of `slots` holding the place of `fingerprint`, or the free one where it belongs.
std::size_t SlotOf(const CopyDetector& copies, const std::vector<uint32_t>& slots,
                   uint64_t fingerprint) {
  const std::size_t mask = slots.size() - 1;
  // FNV's low bits alone are poorly mixed: spread the high ones over them.
  std::size_t at = static_cast<std::size_t>((fingerprint * 0x9E3779B97F4A7C15U) >> 32U) & mask;
  while (slots[at] != 0 && copies.fingerprints[slots[at] - 1] != fingerprint) {
    at = (at + 1) & mask;
  }
  return at;
}

void Grow(CopyDetector& copies) {
  std::vector<uint32_t> old(std::max(FirstSize, 2 * copies.slots.size()));
  old.swap(copies.slots);
  for (const uint32_t place : old) {
    if (place != 0) {
      copies.slots[SlotOf(copies, copies.slots, copies.fingerprints[place - 1])] = place;
    }
  }
}

}  // namespace

// FNV-1a taken a word at a time, then mixed (MurmurHash3's finalizer) so that
// every bit of the result depends on every bit read; never 0, which marks a file
// not counted. Each step is a bijection of the state, so two files of one length
// that differ in one word never share a fingerprint. It is never kept beyond a
// run, so the byte order of the words does not matter.
uint64_t Fingerprint(std::string_view bytes) {
  uint64_t hash = 14695981039346656037U ^ bytes.size();
  std::size_t at = 0;
  for (; at + sizeof(uint64_t) <= bytes.size(); at += sizeof(uint64_t)) {
    uint64_t word = 0;
    std::memcpy(&word, bytes.data() + at, sizeof word);
    hash = (hash ^ word) * 1099511628211U;
  }
  for (; at < bytes.size(); ++at) {
    hash = (hash ^ static_cast<unsigned char>(bytes[at])) * 1099511628211U;
  }
  hash ^= hash >> 33U;
  hash *= 0xFF51AFD7ED558CCDU;
  hash ^= hash >> 33U;
  hash *= 0xC4CEB9FE1A85EC53U;
  hash ^= hash >> 33U;
  return hash != 0 ? hash : 1;
}

uint64_t OriginalOf(CopyDetector& copies, uint64_t place, uint64_t fingerprint) {
  if (2 * (copies.used + 1) > copies.slots.size()) Grow(copies);
  uint32_t& slot = copies.slots[SlotOf(copies, copies.slots, fingerprint)];
  if (slot != 0) return slot - 1;
  // The places between held no file counted.
  if (copies.fingerprints.size() < place) {
    copies.fingerprints.resize(static_cast<std::size_t>(place), 0);
  }
  copies.fingerprints.push_back(fingerprint);
  slot = static_cast<uint32_t>(place + 1);
  ++copies.used;
  return NoOriginal;
}

bool SameAsRemembered(const CopyDetector& copies, uint64_t place, std::string_view bytes) {
  return place < copies.fingerprints.size() &&
         copies.fingerprints[static_cast<std::size_t>(place)] == Fingerprint(bytes);
}

}  // namespace pivra

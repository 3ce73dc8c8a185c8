// The copy detector of a judgement. It keeps no names: an 8-byte fingerprint
// for each file read, by its place among the names, and a table of 4-byte places
// kept between a quarter and half full, so that an archive costs 16 to 24 bytes
// a file. The names of the files copied are found again afterwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string_view>
#include <vector>

namespace pivra {

// A place is the 0-based number of a name among the operands or in the list; the
// table holds place + 1, and 0 marks a free slot.
constexpr uint64_t MostPlaces = UINT32_MAX - 1;
constexpr uint64_t NoOriginal = UINT64_MAX;

struct CopyDetector {
  std::deque<uint64_t> fingerprints;  // by place, 0 for a file not counted; grows without moving
  std::vector<uint32_t> slots;        // open addressing over the fingerprints
  std::size_t used;
};

// A file's bytes in 8 of them, never 0.
uint64_t Fingerprint(std::string_view bytes);

// The place of the file counted before that had this fingerprint, or NoOriginal,
// and then the file is remembered at `place`, which comes after every place so far.
uint64_t OriginalOf(CopyDetector& copies, uint64_t place, uint64_t fingerprint);

// Whether `bytes` are those of the file remembered at `place`.
bool SameAsRemembered(const CopyDetector& copies, uint64_t place, std::string_view bytes);

}  // namespace pivra

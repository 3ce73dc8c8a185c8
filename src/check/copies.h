// The copy detector of a judgement: one fingerprint a file, in a flat table, so
// that an archive of a million files costs a few bytes a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace pivra {

struct CopyDetector {
  std::vector<uint64_t> slots;  // open addressing, at most half full; 0 marks a free slot
  std::size_t used;
};

// True when a file of these bytes was seen before; otherwise it is remembered.
bool SeenBefore(CopyDetector& copies, std::string_view bytes);

}  // namespace pivra

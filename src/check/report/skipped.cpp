#include "check/report/skipped.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "check/input/system.h"
#include "check/report/progress.h"

namespace pivra {
namespace {

constexpr std::size_t InMemory = std::size_t{8} << 20U;

void StartSpool(Spool& spool, std::size_t bound) { spool = {bound, {}, nullptr, 0, 0}; }

// Once a run, whichever spool fails first: the report counts what was lost.
void SayLost(const Spool& spool) {
  static bool said = false;
  if (said) return;
  said = true;
  HideProgress();
  (void)std::fprintf(stderr, "pivra-check: %s for the skipped files: %s\n",
                     spool.file == nullptr ? "no temporary file" : "the temporary file",
                     std::strerror(spool.error));
}

bool Append(Spool& spool, std::string_view bytes) {
  if (spool.error != 0) return false;
  if (spool.file == nullptr && spool.kept.size() + bytes.size() > spool.bound) {
    spool.file = OpenTemporaryFile(spool.error);
    if (spool.file == nullptr) {
      SayLost(spool);
      return false;
    }
  }
  errno = 0;
  if (spool.file == nullptr) {
    spool.kept.append(bytes);
  } else if (std::fwrite(bytes.data(), 1, bytes.size(), spool.file) != bytes.size()) {
    spool.error = errno != 0 ? errno : EIO;
    SayLost(spool);
    return false;
  }
  spool.size += bytes.size();
  return true;
}

// The `length` bytes appended at `at`, which were all kept.
std::string ReadAt(Spool& spool, uint64_t at, std::size_t length) {
  std::string bytes;
  if (at < spool.kept.size()) {
    bytes.assign(spool.kept, static_cast<std::size_t>(at), length);
    at += bytes.size();
    length -= bytes.size();
  }
  if (length == 0 || spool.file == nullptr) return bytes;
  const std::size_t had = bytes.size();
  bytes.resize(had + length);
  if (!SeekFile(spool.file, at - spool.kept.size()) ||
      std::fread(&bytes[had], 1, length, spool.file) != length) {
    bytes.resize(had);
  }
  return bytes;
}

void EndSpool(Spool& spool) {
  if (spool.file != nullptr) (void)std::fclose(spool.file);  // unnamed: nothing to keep
  spool.file = nullptr;
}

template <typename Number>
void AppendNumber(std::string& record, Number number) {
  char bytes[sizeof number];
  std::memcpy(bytes, &number, sizeof number);
  record.append(bytes, sizeof number);
}

template <typename Number>
Number NumberAt(std::string_view bytes, std::size_t at) {
  Number number = 0;
  std::memcpy(&number, bytes.data() + at, sizeof number);
  return number;
}

}  // namespace

void StartSkipped(SkippedFiles& skipped) {
  std::size_t bound = InMemory;
  if (const char* test = std::getenv("PIVRA_CHECK_SKIPPED_IN_MEMORY"); test != nullptr) {
    bound = static_cast<std::size_t>(std::strtoull(test, nullptr, 10));
  }
  skipped = {};
  StartSpool(skipped.lines, bound);
  StartSpool(skipped.original_names, bound);
}

void AddSkipped(SkippedFiles& skipped, std::string_view name, std::string_view fault,
                uint64_t original) {
  ++skipped.count;
  if (fault.empty()) skipped.originals.push_back(original);
  std::string record;
  AppendNumber(record, uint64_t{name.size()});
  AppendNumber(record, uint64_t{fault.size()});
  AppendNumber(record, original);
  record.append(name);
  record.append(fault);
  if (!Append(skipped.lines, record)) ++skipped.lost;
}

std::vector<uint64_t> CopiedPlaces(SkippedFiles& skipped) {
  std::vector<uint64_t>& places = skipped.originals;
  std::sort(places.begin(), places.end());
  places.erase(std::unique(places.begin(), places.end()), places.end());
  places.shrink_to_fit();
  return places;
}

void NameOriginal(SkippedFiles& skipped, std::string_view name) {
  // One that cannot be kept is named by its entry, as one not found again.
  (void)Append(skipped.original_names, name);
  skipped.name_ends.push_back(skipped.original_names.size);
}

void EachSkipped(
    SkippedFiles& skipped,
    const std::function<void(std::string_view name, std::string_view fault, uint64_t original,
                             std::string_view original_name)>& take) {
  constexpr std::size_t Head = 3 * sizeof(uint64_t);
  for (uint64_t at = 0; at < skipped.lines.size;) {
    const std::string head = ReadAt(skipped.lines, at, Head);
    if (head.size() != Head) return;
    const auto name_size = NumberAt<uint64_t>(head, 0);
    const auto fault_size = NumberAt<uint64_t>(head, sizeof(uint64_t));
    const auto original = NumberAt<uint64_t>(head, 2 * sizeof(uint64_t));
    const std::string text =
        ReadAt(skipped.lines, at + Head, static_cast<std::size_t>(name_size + fault_size));
    if (text.size() != name_size + fault_size) return;
    at += Head + name_size + fault_size;
    const std::string_view name =
        std::string_view(text).substr(0, static_cast<std::size_t>(name_size));
    const std::string_view fault = std::string_view(text).substr(name.size());
    std::string original_name;
    if (fault.empty()) {
      const auto& places = skipped.originals;
      const auto index = static_cast<std::size_t>(
          std::lower_bound(places.begin(), places.end(), original) - places.begin());
      if (index < skipped.name_ends.size()) {
        const uint64_t start = index == 0 ? 0 : skipped.name_ends[index - 1];
        original_name = ReadAt(skipped.original_names, start,
                               static_cast<std::size_t>(skipped.name_ends[index] - start));
      }
    }
    take(name, fault, original, original_name);
  }
}

void EndSkipped(SkippedFiles& skipped) {
  EndSpool(skipped.lines);
  EndSpool(skipped.original_names);
}

}  // namespace pivra

// The list reader against a plain split on NUL: the names it hands on are
// the entries of 1 to LongestName() bytes, in order, until the list is given up
// after MostFaultyInARow faulty entries in a row (or MostFaultyBytesInARow bytes
// of them); it is faulty when it skipped an entry or named no file; and no name
// it holds is ever longer than the longest.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "check/input/names.h"
#include "check/input/system.h"

namespace {

struct Expected {
  std::vector<std::string_view> names;
  bool faulty = false;
};

Expected Split(std::string_view list) {
  Expected expected;
  const std::size_t longest = pivra::LongestName();
  unsigned in_a_row = 0;
  uint64_t faulty_bytes = 0;
  bool any = false;
  while (!list.empty()) {
    const std::size_t end = list.find('\0');
    const std::string_view entry = list.substr(0, end);
    list.remove_prefix(end == std::string_view::npos ? list.size() : end + 1);
    any = true;
    if (!entry.empty() && entry.size() <= longest) {
      expected.names.push_back(entry);
      in_a_row = 0;
      faulty_bytes = 0;
      continue;
    }
    expected.faulty = true;
    const bool cut =
        entry.size() > longest && faulty_bytes + entry.size() >= pivra::MostFaultyBytesInARow;
    faulty_bytes += entry.size() + 1;
    if (cut || ++in_a_row == pivra::MostFaultyInARow) break;
  }
  if (!any) expected.faulty = true;
  return expected;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  // The list reader reads a descriptor: the bytes are a file of their own.
  std::FILE* file = std::tmpfile();
  if (file == nullptr || (size != 0 && std::fwrite(data, 1, size, file) != size) ||
      std::fflush(file) != 0) {
    std::abort();
  }
  const std::string list = "/dev/fd/" + std::to_string(fileno(file));
  const std::vector<const char*> none;
  pivra::Names names{};
  if (!pivra::OpenNames(names, none, list.c_str())) std::abort();
  const Expected expected = Split(std::string_view(reinterpret_cast<const char*>(data), size));
  std::string name;
  uint64_t place = 0;
  std::size_t count = 0;
  while (pivra::NextName(names, name, place)) {
    if (count == expected.names.size() || name != expected.names[count]) std::abort();
    ++count;
  }
  if (count != expected.names.size() || pivra::CloseNames(names) != expected.faulty) std::abort();
  if (name.size() > pivra::LongestName()) std::abort();
  (void)std::fclose(file);
  return 0;
}

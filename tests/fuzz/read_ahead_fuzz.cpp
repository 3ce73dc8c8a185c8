// Files read ahead against the same files read in line: the same names, places,
// codes and bytes, in the same order. The input, split at each 0xFF, gives the
// files' contents; a piece's first byte may instead list a file that is not
// there, a folder, an empty or an over-long entry, or /dev/zero.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "check/input/each_file.h"
#include "check/input/names.h"

namespace {

std::filesystem::path dir;  // of the files, made once and removed at exit

void RemoveDir() { std::filesystem::remove_all(dir); }

std::string ReadAll(std::string& list, const char* in_line) {
  (void)setenv("PIVRA_CHECK_READ_IN_LINE", in_line, 1);
  std::FILE* file = fmemopen(list.data(), list.size(), "rb");
  if (file == nullptr) std::abort();
  pivra::Names names{nullptr, 0,     {file, "fuzz", UINT64_MAX, 0, 0, 0, 0, false, {}, {}},
                     true,    false, {}};
  std::string seen;
  pivra::ReadEachFile(names, [&seen](const pivra::FileRead& read) {
    seen += read.name + '/' + std::to_string(read.place) + '/' + std::to_string(read.read_code);
    seen.append(read.bytes).append(1, '\0');
  });
  (void)std::fclose(file);
  return seen;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (dir.empty()) {
    dir = std::filesystem::temp_directory_path() / ("pivra-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir / "folder");
    (void)std::atexit(RemoveDir);
  }
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string list;
  for (int file = 0; !input.empty() || file == 0; ++file) {
    const std::string_view piece = input.substr(0, input.find('\xFF'));
    input.remove_prefix(std::min(input.size(), piece.size() + 1));
    const std::string name = (dir / std::to_string(file)).string();
    std::ofstream(name, std::ios::binary) << piece;
    switch (piece.empty() ? '\0' : piece[0]) {
      case 'm': list.append(name).append(".missing"); break;
      case 'd': list += (dir / "folder").string(); break;
      case 'l': list += std::string(5000, 'l'); break;
      case 'z': list += "/dev/zero"; break;
      case 'e': break;
      default: list += name;
    }
    list += '\0';
  }
  list += (dir / "end").string();  // the last name may lack its NUL
  if (ReadAll(list, "") != ReadAll(list, "1")) std::abort();
  return 0;
}

// Writes an archive for timing pivra-check: N valid draw files, each of ten
// independent random permutations, into DIR (which must not exist), and their
// names, NUL-separated, to DIR.names.
//   make_archive DIR N
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "draw_text.h"

int main(int argc, char** argv) {
  const unsigned long count = argc == 3 ? std::strtoul(argv[2], nullptr, 10) : 0;
  if (count == 0) {
    std::fputs("usage: make_archive DIR N\n", stderr);
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  if (!std::filesystem::create_directory(dir)) {
    std::fprintf(stderr, "make_archive: %s exists\n", argv[1]);
    return 1;
  }
  std::ofstream names(dir.string() + ".names", std::ios::binary);
  std::mt19937 random(35);
  for (unsigned long i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "%07lu.TXT", i);
    const std::filesystem::path file = dir / name;
    std::ofstream(file, std::ios::binary) << DrawFileText(random);
    names << file.string() << '\0';
  }
  return names.flush() ? 0 : 1;
}

#include "check/name_list.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "check/files.h"
#include "check/progress.h"
#include "check/system.h"

namespace pivra {

bool OpenNameList(NameList& list, const char* name) {
  list = {nullptr, name, 0, false};
  errno = 0;
  list.file = list.name == "-" ? stdin : std::fopen(name, "rb");
  if (list.file == stdin) ReadStandardInputAsBytes();
  if (list.file != nullptr) return true;
  (void)std::fprintf(stderr, "pivra-check: cannot read the list of names %s: %s\n",
                     EscapedName(list.name).c_str(), std::strerror(LastError()));
  list.faulty = true;
  return false;
}

bool NextListedName(NameList& list, std::string& name) {
  for (;;) {
    name.clear();
    errno = 0;
    int c = 0;
    while ((c = std::getc(list.file)) != EOF && c != '\0') name += static_cast<char>(c);
    if (c == EOF && std::ferror(list.file) != 0) {
      HideProgress();
      (void)std::fprintf(stderr, "pivra-check: %s: read error after entry %llu: %s\n",
                         EscapedName(list.name).c_str(),
                         static_cast<unsigned long long>(list.entries), std::strerror(LastError()));
      list.faulty = true;
      return false;
    }
    // The last name may lack its NUL.
    if (c == EOF && name.empty()) {
      // A list that names nothing checks nothing, which must not pass as success.
      if (list.entries == 0) {
        (void)std::fprintf(stderr, "pivra-check: %s: no file names in the list\n",
                           EscapedName(list.name).c_str());
        list.faulty = true;
      }
      return false;
    }
    ++list.entries;
    if (!name.empty()) return true;
    HideProgress();
    (void)std::fprintf(stderr, "pivra-check: %s:%llu: an empty file name\n",
                       EscapedName(list.name).c_str(),
                       static_cast<unsigned long long>(list.entries));
    list.faulty = true;
  }
}

void CloseNameList(NameList& list) {
  if (list.file != nullptr && list.file != stdin) (void)std::fclose(list.file);  // read only
  list.file = nullptr;
}

bool ListedNamesAt(NameList& list, const std::fpos_t& start, const std::vector<uint64_t>& places,
                   std::vector<std::string>& names) {
  // Longer than any name a system opens; the caller checks what a name opens.
  constexpr std::size_t LongestKept = std::size_t{1} << 16U;
  if (std::fsetpos(list.file, &start) != 0) return false;
  uint64_t entry = 0;
  for (const uint64_t place : places) {
    std::string name;
    for (int c = 0; entry <= place; ++entry) {
      while ((c = std::getc(list.file)) != EOF && c != '\0') {
        if (entry == place && name.size() < LongestKept) name += static_cast<char>(c);
      }
      if (c == EOF && (entry < place || std::ferror(list.file) != 0)) return false;
    }
    names.push_back(std::move(name));
  }
  return true;
}

}  // namespace pivra

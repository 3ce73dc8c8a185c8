#include "check/input/each_file.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "check/input/files.h"
#include "check/input/names.h"
#include "check/input/read_ahead.h"
#include "check/report/progress.h"

namespace pivra {

void PrintListMessages(std::string& messages) {
  if (messages.empty()) return;
  HideProgress();
  (void)std::fputs(messages.c_str(), stderr);
  messages.clear();
}

// Read ahead where the system can; the tests set PIVRA_CHECK_READ_IN_LINE to
// compare the two ways byte for byte.
void ReadEachFile(Names& names, const std::function<void(const FileRead&)>& take) {
  const char* in_line = std::getenv("PIVRA_CHECK_READ_IN_LINE");
  if ((in_line == nullptr || *in_line == '\0') && ReadEachFileAhead(names, take)) return;
  FileRead file{};
  std::string bytes;
  while (NextName(names, file.name, file.place)) {
    PrintListMessages(names.list.messages);
    file.read_code = ReadDrawFile(file.name.c_str(), bytes);
    file.bytes = bytes;
    take(file);
  }
  PrintListMessages(names.list.messages);
}

}  // namespace pivra

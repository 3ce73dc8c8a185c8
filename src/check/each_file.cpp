#include "check/each_file.h"

#include <cstdio>
#include <functional>
#include <string>

#include "check/files.h"
#include "check/names.h"
#include "check/progress.h"

namespace pivra {
namespace {

// The list's messages go to standard error, wiping any progress line first.
void PrintMessages(std::string& messages) {
  if (messages.empty()) return;
  HideProgress();
  (void)std::fputs(messages.c_str(), stderr);
  messages.clear();
}

}  // namespace

// In line, on one thread: a second thread to read ahead was tried and measured,
// and made each open, read and close dearer (a shared file table), which is
// where a check spends most of its time, for less than it saved.
void ReadEachFile(Names& names, const std::function<void(const FileRead&)>& take) {
  FileRead file{};
  while (NextName(names, file.name, file.place)) {
    PrintMessages(names.list.messages);
    file.read_code = ReadDrawFile(file.name.c_str(), file.bytes);
    take(file);
  }
  PrintMessages(names.list.messages);
}

}  // namespace pivra

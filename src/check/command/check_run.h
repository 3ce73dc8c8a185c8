// pivra-check's run: its arguments, reading the files, and what it prints.
#pragma once

namespace pivra {

// Exit status: 0 every file valid (and, judging fairness, nothing flagged),
// 1 otherwise, 2 for a usage error or a file that cannot be read or written.
int RunCheck(int argc, const char* const* argv);

}  // namespace pivra

// pivra-check's files: reading and checking a draw file, and writing the picture.
#pragma once

#include <string>

#include "check/work/draw_check.h"

namespace pivra {

struct FileOutcome {
  int read_code;    // the system's error code when the file could not be read, else 0
  FileFault fault;  // for a file read: its first fault, none when it is valid
};

// Reads as much of `name` into `bytes` as judging it takes: one byte more than a
// draw file shows a longer one. 0 on success, or the system's error code.
int ReadDrawFile(const char* name, std::string& bytes);

// Reads `name` into `bytes` and checks it; a valid file's sets go to `sets`.
FileOutcome ReadAndCheck(const char* name, std::string& bytes, DrawTable& sets);

// errno, or EIO when a failed call left none.
int LastError();

// 0 on success, or the system's error code.
int WriteWholeFile(const char* name, const std::string& text);

// "pivra-check: NAME: why", for a file that could not be read or written.
void ReportFileError(const char* name, int code);

}  // namespace pivra

// Reading a draw file, the one way every path reads one; and the errors of
// files read or written.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "draw/layout.h"

namespace pivra {

// As much of a file as judging it takes: one byte more than a draw file shows a
// longer one.
struct FileBytes {
  char bytes[DrawFileSize + 1];
  std::size_t size;
};

inline std::string_view BytesOf(const FileBytes& file) { return {file.bytes, file.size}; }

// ReadDrawFile's answer, ahead of a file's turn, for a file to be read at its turn.
constexpr int ReadAtItsTurn = -1;

// Reads `name` into `file`: 0, or the system's error code. `ahead`: before its
// turn, which reads only what OpenToReadAhead opens, and answers ReadAtItsTurn
// for anything else, a file that cannot be read among them, so that it is
// tried again, and reported, at its turn.
int ReadDrawFile(const char* name, FileBytes& file, bool ahead = false);

// errno, or EIO when a failed call left none.
int LastError();

// 0 on success, or the system's error code.
int WriteWholeFile(const char* name, const std::string& text);

// "pivra-check: NAME: why", for a file that could not be read or written.
void ReportFileError(const char* name, int code);

}  // namespace pivra

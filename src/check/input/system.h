// The little pivra-check asks of the system beyond standard C++: the one
// interface whose code differs between Linux (system_posix.cpp) and Windows
// (system_win32.cpp), of which the build takes one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace pivra {

// The longest file name the system takes, in bytes: PATH_MAX less its NUL on
// Linux; on Windows 32,767, its limit in UTF-16 units, which never outnumber a
// name's bytes.
std::size_t LongestName();

// A descriptor of `name` opened to read its bytes, or -1 with errno set.
int OpenToRead(const char* name);

// `name` opened to read, but only where reading it now, before its turn, reads
// what reading it at its turn would: a regular file that holds bytes (not a
// FIFO, a device, nor a file in which a process describes itself), reached
// through no link to a descriptor. Nothing else is opened, so no FIFO's writer
// or device notices. -1 for anything else: it is to be read at its turn.
// `size`: the file's, as it was opened.
int OpenToReadAhead(const char* name, int64_t& size);

// Up to `size` bytes into `into`: how many, 0 at the end, -1 with errno set.
long ReadSome(int file, char* into, std::size_t size);

void CloseFile(int file);

// Where reading `file` goes on from, to come back to with SeekTo; false where it
// cannot (a pipe).
bool Tell(int file, int64_t& at);
bool SeekTo(int file, int64_t at);

// Whether reading `file` now could wait for its writer: a pipe or terminal with
// nothing in it yet.
bool ReadMayWait(int file);

// The cores this process may run on, at least 1; 1 where files are read in line.
unsigned UsableCores();

// A new file with no name, to write and read back, gone when closed: in $TMPDIR
// or /tmp on Linux, Windows's folder for temporary files there. Unbuffered, so
// that each write's result is the file's. Null, with `error` set, where none
// can be made.
std::FILE* OpenTemporaryFile(int& error);

// Moves `file` to `at`, from its start.
bool SeekFile(std::FILE* file, uint64_t at);

// Whether standard error is a terminal, where a progress line may be drawn.
bool StandardErrorIsTerminal();

// Whether `name` is a regular file, which opens without waiting for a writer.
bool IsRegularFile(const char* name);

// Whether `name` is a folder. Windows refuses to open one with "Permission
// denied", which does not say why.
bool IsFolder(const char* name);

// Standard input read as bytes, as a list opened by its name is: in text mode
// Windows would drop the CR of each CR LF and end the input at a Ctrl-Z.
void ReadStandardInputAsBytes();

// `name` as a report prints it, so that no name can pass for another line or
// steer the terminal: escaped as sha256sum escapes it on Linux; on Windows, where
// the backslash separates folders, with '?' for what may not be printed.
std::string EscapedName(std::string_view name);

}  // namespace pivra

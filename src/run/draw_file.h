// The draw file: its name, its 111 lines and the buffered writer they pass through.
#pragma once

#include <cstddef>
#include <cstdint>

#include "draw/layout.h"
#include "platform/platform.h"

namespace pivra {

constexpr unsigned FileBufferSize = 128;
constexpr std::size_t DateTimeLength = 19;  // yyyy-mm-dd-hh-nn-ss
// "pivra-", the date-time text, up to ten counter digits, ".TXT" and the terminator.
constexpr std::size_t FileNameCapacity = 6 + DateTimeLength + 10 + 4 + 1;
constexpr int32_t NoFileTypeCode = 105;
// How many names a run tries before it reports that each was taken.
constexpr unsigned NameAttempts = 10;

struct DrawFile {
  FileHandle handle;
  bool open;
  bool flush_at_line_end;  // set for a character device
  bool sync_at_close;      // set for a disk file: its text and name must outlive a crash
  uint8_t fill;            // bytes of `buffer` in use
  uint8_t buffer[FileBufferSize];
  char name[FileNameCapacity];
};

// "01 02 ... 80 ": number v at offset 3 * (v - 1).
extern const char NumberText[241];
extern const char SeparatorLine[LineLength + 1];

// Writes 3n - 1 characters (n numbers of 1..80, space-separated) to `text`,
// which must hold 3n; returns the length.
std::size_t FormatSet(const uint8_t* numbers, uint8_t n, char* text);

void FormatDateTime(const LocalTime& time, char* text);  // 19 characters and a terminator
void BuildFileName(const LocalTime& time, uint64_t counter, char* name);
uint64_t ReadTimeStampCounter();

// Reads and clears the code of the latest failed file operation, 0 when none.
int32_t TakeIOResult();
// Raises a pending I/O code as EInOutError at the caller's location.
void CheckIOResult();

// The run's file, in the run's order: name it from the clock and counter, and
// create it new (under a fresh name while the name is taken; a clock that
// cannot be read or a failed creation only sets the I/O result), then write the
// table's 111 lines, flush and close it, raising on failure.
bool NameDrawFile();
void CreateDrawFile();
void WriteDrawFile();

}  // namespace pivra

#include "run/draw_file.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "draw/layout.h"
#include "draw/table.h"
#include "platform/platform.h"
#include "run/draw_run.h"
#include "run/failure.h"

namespace pivra {

const char NumberText[241] =
    "01 02 03 04 05 06 07 08 09 10 11 12 13 14 15 16 17 18 19 20 "
    "21 22 23 24 25 26 27 28 29 30 31 32 33 34 35 36 37 38 39 40 "
    "41 42 43 44 45 46 47 48 49 50 51 52 53 54 55 56 57 58 59 60 "
    "61 62 63 64 65 66 67 68 69 70 71 72 73 74 75 76 77 78 79 80 ";

const char SeparatorLine[LineLength + 1] = "=======================";

namespace {

int32_t g_io_result = 0;

void SetIOResult(int32_t code) {
  if (g_io_result == 0) g_io_result = code;  // the first failure is the cause
}

// Records a failed operation's code; true when it succeeded.
bool Succeeded(int32_t code) {
  SetIOResult(code);
  return code == 0;
}

char* PutDigits(char* text, unsigned value, unsigned width) {
  for (unsigned i = width; i > 0; --i) {
    text[i - 1] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  return text + width;
}

// Writes until all is written: a short write is not success.
int32_t WriteAll(FileHandle handle, const uint8_t* bytes, uint32_t length) {
  while (length > 0) {
    uint32_t written = 0;
    const int32_t code = g_platform.write_file(handle, bytes, length, &written);
    if (code != 0) return code;
    if (written == 0 || written > length) return g_platform.write_fault_code;
    bytes += written;
    length -= written;
  }
  return 0;
}

// The buffer starts empty again whatever the outcome.
bool FlushBuffer(DrawFile& file) {
  const int32_t code = WriteAll(file.handle, file.buffer, file.fill);
  file.fill = 0;
  return Succeeded(code);
}

// A full buffer goes out at once; after a failed write the rest of the piece is dropped.
void PutPiece(DrawFile& file, const char* text, std::size_t length) {
  while (length > 0) {
    const std::size_t room = FileBufferSize - file.fill;
    const std::size_t part = length < room ? length : room;
    std::memcpy(file.buffer + file.fill, text, part);
    file.fill = static_cast<uint8_t>(file.fill + part);
    text += part;
    length -= part;
    if (file.fill == FileBufferSize && !FlushBuffer(file)) return;
  }
}

void PutLine(DrawFile& file, const char* text, std::size_t length) {
  PutPiece(file, text, length);
  PutPiece(file, "\r\n", 2);
  if (file.flush_at_line_end && file.fill > 0) FlushBuffer(file);
  CheckIOResult();
}

// Status 0 promises a file that outlives a crash: a disk file's text reaches the
// device before the close, and its name after. A failed write or flush leaves
// the handle open and the partial file as it is.
void FlushAndClose(DrawFile& file) {
  if (file.fill > 0 && !FlushBuffer(file)) return;
  if (file.sync_at_close && !Succeeded(g_platform.flush_file(file.handle))) return;
  file.open = false;
  if (!Succeeded(g_platform.close_file(file.handle))) return;
  if (file.sync_at_close) SetIOResult(g_platform.sync_directory());
}

}  // namespace

std::size_t FormatSet(const uint8_t* numbers, uint8_t n, char* text) {
  if (n == 0) return 0;
  for (std::size_t i = 0; i < n; ++i) {
    std::memcpy(text + 3 * i, NumberText + 3 * (numbers[i] - std::size_t{1}), 3);
  }
  return 3U * n - 1U;
}

void FormatDateTime(const LocalTime& time, char* text) {
  char* out = PutDigits(text, time.year % 10000U, 4);
  const uint16_t fields[] = {time.month, time.day, time.hour, time.minute, time.second};
  for (const uint16_t field : fields) {
    *out++ = '-';
    out = PutDigits(out, field % 100U, 2);
  }
  *out = '\0';
}

void BuildFileName(const LocalTime& time, uint64_t counter, char* name) {
  char* out = std::copy_n("pivra-", 6, name);
  FormatDateTime(time, out);
  out += DateTimeLength;
  const uint32_t tail = static_cast<uint32_t>(counter) >> 1U;
  unsigned digits = 1;
  for (uint32_t rest = tail / 10; rest > 0; rest /= 10) ++digits;
  out = PutDigits(out, tail, digits);
  std::copy_n(".TXT", 5, out);
}

uint64_t ReadTimeStampCounter() { return g_platform.read_time_stamp_counter(); }

int32_t TakeIOResult() {
  const int32_t code = g_io_result;
  g_io_result = 0;
  return code;
}

__attribute__((noinline)) void CheckIOResult() {
  const int32_t code = TakeIOResult();
  if (code != 0) RaiseInOutError(code, __builtin_return_address(0));
}

bool NameDrawFile() {
  LocalTime time{};
  if (!Succeeded(g_platform.get_local_time(&time))) return false;
  BuildFileName(time, ReadTimeStampCounter(), g_draw_file.name);
  return true;
}

void CreateDrawFile() {
  DrawFile& file = g_draw_file;
  file.fill = 0;
  file.open = false;
  file.flush_at_line_end = false;
  file.sync_at_close = false;
  FileHandle handle = 0;
  int32_t code = g_platform.create_file(file.name, &handle);
  // Runs started together can read the same counter. A taken name is another
  // run's file: a fresh reading gives a new name, where replacing would lose it.
  for (unsigned attempt = 1; code == g_platform.file_exists_code && attempt < NameAttempts;
       ++attempt) {
    if (!NameDrawFile()) return;
    code = g_platform.create_file(file.name, &handle);
  }
  if (code != 0) {
    SetIOResult(code);
    return;
  }
  FileType type = FileType::Unknown;
  const int32_t type_code = g_platform.get_file_type(handle, &type);
  if (type_code != 0 || type == FileType::Unknown) {
    g_platform.close_file(handle);  // the empty file stays
    SetIOResult(type_code != 0 ? type_code : NoFileTypeCode);
    return;
  }
  file.handle = handle;
  file.open = true;
  file.flush_at_line_end = type == FileType::Char;
  // Only a disk file has stable storage behind it to flush.
  file.sync_at_close = type == FileType::Disk;
}

void WriteDrawFile() {
  DrawFile& file = g_draw_file;
  char line[3 * SetSize];
  PutLine(file, SeparatorLine, LineLength);
  for (unsigned set = 0; set < SetCount; ++set) {
    const std::size_t length = FormatSet(TableSet(g_draw_table, set), SetSize, line);
    PutLine(file, line, length);
    if ((set + 1) % SetsPerBlock == 0) PutLine(file, SeparatorLine, LineLength);
  }
  FlushAndClose(file);
  CheckIOResult();
}

}  // namespace pivra

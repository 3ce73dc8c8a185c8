#include "check/read_ahead.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "check/files.h"
#include "check/name_list.h"
#include "check/names.h"
#include "check/progress.h"

#if PIVRA_READ_AHEAD
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#endif

namespace pivra {
namespace {

// A file, with the list's messages from before its name.
struct Slot {
  FileRead file;
  std::string messages;
};

bool ReadNext(Names& names, Slot& slot) {
  const bool named = NextName(names, slot.file.name, slot.file.place);
  slot.messages.swap(names.list.messages);
  names.list.messages.clear();
  if (named) slot.file.read_code = ReadDrawFile(slot.file.name.c_str(), slot.file.bytes);
  return named;
}

// The list's messages go to standard error, wiping any progress line first.
void PrintMessages(std::string& messages) {
  if (messages.empty()) return;
  HideProgress();
  (void)std::fputs(messages.c_str(), stderr);
  messages.clear();
}

void ReadInLine(Names& names, const std::function<void(const FileRead&)>& take) {
  Slot slot{};
  while (ReadNext(names, slot)) {
    PrintMessages(slot.messages);
    take(slot.file);
  }
  PrintMessages(slot.messages);
}

#if PIVRA_READ_AHEAD

// The files read ahead wait in a ring. The two threads meet at its lock once a
// batch, not once a file: the checker is woken when a batch is ready, and the
// reader when half the ring is free again. A checker that waits long takes what
// there is, so that a list fed slowly is checked as it comes.
constexpr std::size_t FilesPerBatch = 32;
constexpr std::size_t RingSize = 4 * FilesPerBatch;
constexpr std::chrono::milliseconds LongestWait{10};

struct Ring {
  std::vector<Slot> slots{RingSize};
  std::mutex lock;
  std::condition_variable files_ready;
  std::condition_variable room_ready;
  std::size_t first = 0;  // the oldest file not yet checked
  std::size_t end = 0;    // one past the newest file read; both count from the start
  bool done = false;      // the names ended: the slot at `end` holds the last messages
  bool checker_waits = false;
  bool reader_waits = false;
};

void ReadAhead(Names& names, Ring& ring) {
  for (;;) {
    {
      std::unique_lock<std::mutex> held(ring.lock);
      ring.reader_waits = true;
      ring.room_ready.wait(held, [&ring] { return ring.end - ring.first < RingSize; });
      ring.reader_waits = false;
    }
    // The slot at `end` is the reader's alone until `end` passes it.
    const bool named = ReadNext(names, ring.slots[ring.end % RingSize]);
    bool wake = false;
    {
      const std::lock_guard<std::mutex> held(ring.lock);
      ring.end += named ? 1 : 0;
      ring.done = !named;
      wake = ring.checker_waits && (ring.done || ring.end - ring.first >= FilesPerBatch);
    }
    if (wake) ring.files_ready.notify_one();
    if (!named) return;
  }
}

// False where no thread could be started: nothing has been read then.
bool ReadOnAThread(Names& names, const std::function<void(const FileRead&)>& take) {
  Ring ring;
  std::thread reader;
  try {
    reader = std::thread(ReadAhead, std::ref(names), std::ref(ring));
  } catch (const std::system_error&) {
    return false;
  }
  for (;;) {
    std::size_t first = 0;
    std::size_t end = 0;
    bool done = false;
    {
      std::unique_lock<std::mutex> held(ring.lock);
      ring.checker_waits = true;
      const auto batch_ready = [&ring] {
        return ring.done || ring.end - ring.first >= FilesPerBatch;
      };
      while (!ring.files_ready.wait_for(held, LongestWait, batch_ready) && ring.end == ring.first) {
      }
      ring.checker_waits = false;
      first = ring.first;
      end = std::min(ring.end, first + FilesPerBatch);
      done = ring.done && end == ring.end;
    }
    for (std::size_t at = first; at < end; ++at) {
      Slot& slot = ring.slots[at % RingSize];
      PrintMessages(slot.messages);
      take(slot.file);
    }
    if (done) {
      PrintMessages(ring.slots[end % RingSize].messages);
      break;
    }
    bool wake = false;
    {
      const std::lock_guard<std::mutex> held(ring.lock);
      ring.first = end;
      wake = ring.reader_waits && ring.end - ring.first <= RingSize / 2;
    }
    if (wake) ring.room_ready.notify_one();
  }
  reader.join();
  return true;
}

#endif

}  // namespace

void ReadEachFile(Names& names, const std::function<void(const FileRead&)>& take) {
#if PIVRA_READ_AHEAD
  if (std::getenv("PIVRA_CHECK_READ_IN_LINE") == nullptr && ReadOnAThread(names, take)) return;
#endif
  ReadInLine(names, take);
}

}  // namespace pivra

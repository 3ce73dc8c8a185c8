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
#include <atomic>
#include <condition_variable>
#include <deque>
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

// Files pass between the threads in batches, so that the two seldom meet at the
// lock; a batch goes at once, though, where the checker has none left, so that
// a list fed slowly is checked as it comes.
constexpr std::size_t FilesPerBatch = 32;
constexpr std::size_t BatchesAhead = 4;

struct Batch {
  std::vector<Slot> slots;
  std::size_t count;
  bool last;  // the names ended: its last slot holds only the list's last messages
};

struct Pipeline {
  std::mutex lock;
  std::condition_variable changed;
  std::deque<Batch> read;  // oldest first
  std::vector<Batch> spare;
  std::atomic<std::size_t> queued;  // read.size(), seen without the lock
};

Batch SpareBatch(Pipeline& pipe) {
  std::unique_lock<std::mutex> held(pipe.lock);
  pipe.changed.wait(held, [&pipe] { return pipe.read.size() < BatchesAhead; });
  Batch batch{};
  if (!pipe.spare.empty()) {
    batch = std::move(pipe.spare.back());
    pipe.spare.pop_back();
  }
  batch.slots.resize(FilesPerBatch + 1);
  batch.count = 0;
  batch.last = false;
  return batch;
}

void Send(Pipeline& pipe, Batch& batch) {
  {
    const std::lock_guard<std::mutex> held(pipe.lock);
    pipe.read.push_back(std::move(batch));
    pipe.queued = pipe.read.size();
  }
  pipe.changed.notify_all();
}

void ReadAhead(Names& names, Pipeline& pipe) {
  Batch batch = SpareBatch(pipe);
  while (ReadNext(names, batch.slots[batch.count])) {
    if (++batch.count == FilesPerBatch || pipe.queued.load(std::memory_order_relaxed) == 0) {
      Send(pipe, batch);
      batch = SpareBatch(pipe);
    }
  }
  batch.last = true;  // the slot at `count` holds the last messages
  Send(pipe, batch);
}

Batch NextBatch(Pipeline& pipe) {
  std::unique_lock<std::mutex> held(pipe.lock);
  pipe.changed.wait(held, [&pipe] { return !pipe.read.empty(); });
  Batch batch = std::move(pipe.read.front());
  pipe.read.pop_front();
  pipe.queued = pipe.read.size();
  held.unlock();
  pipe.changed.notify_all();
  return batch;
}

// False where no thread could be started: nothing has been read then.
bool ReadOnAThread(Names& names, const std::function<void(const FileRead&)>& take) {
  Pipeline pipe{};
  std::thread reader;
  try {
    reader = std::thread(ReadAhead, std::ref(names), std::ref(pipe));
  } catch (const std::system_error&) {
    return false;
  }
  for (bool last = false; !last;) {
    Batch batch = NextBatch(pipe);
    for (std::size_t i = 0; i < batch.count; ++i) {
      PrintMessages(batch.slots[i].messages);
      take(batch.slots[i].file);
    }
    last = batch.last;
    if (last) PrintMessages(batch.slots[batch.count].messages);
    const std::lock_guard<std::mutex> held(pipe.lock);
    pipe.spare.push_back(std::move(batch));
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

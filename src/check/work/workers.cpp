// The one thread that reads the names hands them out in batches, through one
// queue under one mutex, to workers that each do whole files; it takes the
// batches back in the order it handed them out, and alone prints. A worker
// reads a file only where reading it early reads what its turn would (see
// OpenToReadAhead); any other file is left to the names' thread, which reads it
// at its turn, while no worker has a file open, so that even a name of one of
// their descriptors opens what it would in line.
#include "check/work/workers.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <shared_mutex>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "check/input/files.h"
#include "check/input/names.h"
#include "check/input/system.h"
#include "check/work/copies.h"
#include "check/work/counts.h"
#include "check/work/draw_check.h"

namespace pivra {
namespace {

// Beyond 8 the names' thread, alone in list order, sets the pace.
constexpr unsigned MostWorkers = 8;
// Enough files that a batch's handing over costs little beside its work.
constexpr std::size_t BatchFiles = 128;

struct Worker {
  FileBytes bytes;
  FairnessCounts* counts;
};

void DoFile(FileWork& file, Worker& worker, bool ahead) {
  file.read_code = ReadDrawFile(file.name.c_str(), worker.bytes, ahead);
  if (file.read_code != 0) return;
  file.fault = CheckDrawFile(BytesOf(worker.bytes), file.sets);
  if (file.fault.line != 0 || worker.counts == nullptr) return;
  file.fingerprint = Fingerprint(BytesOf(worker.bytes));
  CountDrawTable(*worker.counts, file.sets);
}

struct Batch {
  std::array<FileWork, BatchFiles> files;
  std::size_t count;
  bool done;
  bool failed;  // out of memory
};

struct Crew {
  std::mutex lock;  // over `queued`, `ending` and each batch's `done` and `failed`
  std::condition_variable batch_queued;
  std::condition_variable batch_done;
  std::deque<Batch*> queued;
  bool ending = false;
  // Held shared while a worker does a batch, alone while a file is read at its turn.
  std::shared_mutex files_open;
  // Made here, where running out of memory is caught, not in the threads.
  std::vector<std::unique_ptr<FairnessCounts>> counts;
  std::vector<std::unique_ptr<Worker>> workers;
  std::vector<std::thread> threads;
  std::vector<Batch> ring;  // batches in turn: handed out, then taken back
  std::size_t handed = 0;
  std::size_t taken = 0;
  Batch* filling = nullptr;
  Worker own{};  // the names' thread's, for files read at their turn
};

void Work(Crew& crew, Worker* worker) {
  for (;;) {
    Batch* batch = nullptr;
    {
      std::unique_lock<std::mutex> lock(crew.lock);
      crew.batch_queued.wait(lock, [&crew] { return crew.ending || !crew.queued.empty(); });
      if (crew.ending) return;
      batch = crew.queued.front();
      crew.queued.pop_front();
    }
    bool failed = false;
    try {
      const std::shared_lock<std::shared_mutex> open(crew.files_open);
      for (std::size_t i = 0; i < batch->count; ++i) DoFile(batch->files[i], *worker, true);
    } catch (const std::bad_alloc&) {
      failed = true;
    }
    {
      const std::lock_guard<std::mutex> lock(crew.lock);
      batch->done = true;
      batch->failed = failed;
    }
    crew.batch_done.notify_one();
  }
}

// Ends the workers, whatever ends the run: none outlives its crew.
void EndCrew(Crew& crew) {
  {
    const std::lock_guard<std::mutex> lock(crew.lock);
    crew.ending = true;
  }
  crew.batch_queued.notify_all();
  for (std::thread& thread : crew.threads) thread.join();
  crew.threads.clear();
}

// For a unique_ptr that ends the crew, whatever ends the run; it frees nothing.
struct CrewEnd {
  void operator()(Crew* crew) const { EndCrew(*crew); }
};

bool StartWorker(Crew& crew, Worker* worker) {
  try {
    crew.threads.emplace_back(Work, std::ref(crew), worker);
    return true;
  } catch (const std::system_error&) {
    return false;  // the workers started do the work
  }
}

void Hand(Crew& crew) {
  if (crew.filling == nullptr) return;
  {
    const std::lock_guard<std::mutex> lock(crew.lock);
    crew.filling->done = false;
    crew.queued.push_back(crew.filling);
  }
  crew.batch_queued.notify_one();
  ++crew.handed;
  crew.filling = nullptr;
}

bool IsDone(Crew& crew, const Batch& batch) {
  const std::lock_guard<std::mutex> lock(crew.lock);
  return batch.done;
}

void TakeOldest(Crew& crew, const std::function<void(FileWork&)>& take) {
  Batch& batch = crew.ring[crew.taken % crew.ring.size()];
  {
    std::unique_lock<std::mutex> lock(crew.lock);
    crew.batch_done.wait(lock, [&batch] { return batch.done; });
    if (batch.failed) throw std::bad_alloc();
  }
  for (std::size_t i = 0; i < batch.count; ++i) {
    FileWork& file = batch.files[i];
    if (file.read_code == ReadAtItsTurn) {
      const std::unique_lock<std::shared_mutex> alone(crew.files_open);
      DoFile(file, crew.own, false);
    }
    take(file);
  }
  ++crew.taken;
}

void TakeAll(Crew& crew, const std::function<void(FileWork&)>& take) {
  while (crew.taken != crew.handed) TakeOldest(crew, take);
}

// Reads in line: the same work, on this thread alone.
void WorkInLine(Names& names, const WorkToDo& work, const std::function<void(FileWork&)>& take) {
  const auto worker = std::make_unique<Worker>();
  worker->counts = work.counts;
  const auto file = std::make_unique<FileWork>();
  while (NextName(names, file->name, file->place)) {
    DoFile(*file, *worker, false);
    take(*file);
  }
}

unsigned Workers() {
  // For the tests, which compare the two ways byte for byte.
  const char* in_line = std::getenv("PIVRA_CHECK_READ_IN_LINE");
  if (in_line != nullptr && *in_line != '\0') return 1;
  return std::min(UsableCores(), MostWorkers);
}

}  // namespace

void WorkOnEachFile(Names& names, const WorkToDo& work,
                    const std::function<void(FileWork&)>& take) {
  const unsigned workers = Workers();
  Crew crew;
  crew.own.counts = work.counts;
  const std::unique_ptr<Crew, CrewEnd> ender(&crew);
  for (unsigned i = 0; i < workers && workers > 1; ++i) {
    crew.counts.push_back(std::make_unique<FairnessCounts>());
    crew.workers.push_back(std::make_unique<Worker>());
    crew.workers.back()->counts = work.counts != nullptr ? crew.counts.back().get() : nullptr;
    if (!StartWorker(crew, crew.workers.back().get())) break;
  }
  // One core, or no thread to be had: the same work in line.
  if (crew.threads.empty()) {
    WorkInLine(names, work, take);
    return;
  }
  crew.ring.resize(2 * crew.threads.size() + 2);

  // Before a message of the list's, or a wait for its writer: all read so far.
  const Settle settle = [&crew, &take] {
    Hand(crew);
    TakeAll(crew, take);
  };
  std::string name;
  uint64_t place = 0;
  while (NextName(names, name, place, settle)) {
    if (crew.filling == nullptr) {
      if (crew.handed - crew.taken == crew.ring.size()) TakeOldest(crew, take);
      crew.filling = &crew.ring[crew.handed % crew.ring.size()];
      crew.filling->count = 0;
    }
    FileWork& file = crew.filling->files[crew.filling->count++];
    std::swap(file.name, name);
    file.place = place;
    if (crew.filling->count == BatchFiles) {
      Hand(crew);
      while (crew.taken != crew.handed && IsDone(crew, crew.ring[crew.taken % crew.ring.size()])) {
        TakeOldest(crew, take);
      }
    }
  }
  settle();
  EndCrew(crew);
  if (work.counts == nullptr) return;
  for (const auto& counts : crew.counts) AddCounts(*work.counts, *counts);
}

}  // namespace pivra

// Linux reads ahead in a child process: it opens and reads the next files, in
// order and as the plain loop would, while this one checks those before. A
// thread would share this process's file table, which makes every open, read
// and close dearer; a process has its own. The two share a ring of slots in
// memory. The reader, caught up, sleeps on a futex until half a ring of names
// waits; the checker watches for the next file, and sleeps only when it is
// long in coming (a FIFO without its writer).
#include <fcntl.h>
#include <linux/futex.h>
#include <linux/limits.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/poll.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "check/input/each_file.h"
#include "check/input/files.h"
#include "check/input/names.h"
#include "check/input/read_ahead.h"
#include "draw/layout.h"

namespace pivra {
namespace {

constexpr uint32_t Slots = 64;
constexpr uint32_t Batch = Slots / 2;  // names that wait before a sleeping reader is woken

struct Slot {
  int read_code;
  uint32_t size;
  std::array<char, PATH_MAX> name;  // a longer one is read in this process: it opens nothing
  std::array<char, DrawFileSize + 1> bytes;
};

// Counts that only grow (modulo 2^32), each written by one side (`read` by the
// checker too, once the reader is gone), on a cache line of that side's own, so
// that neither's writes slow the other's reads.
struct Ring {
  // By the checker:
  alignas(64) std::atomic<uint32_t> posted;  // names put in slots
  std::atomic<uint32_t> ended;               // no more names will come
  std::atomic<uint32_t> reader_bell;         // rung to wake the reader, whatever woke it
  std::atomic<uint32_t> checker_sleeps;      // until the next file is read
  // By the reader:
  alignas(64) std::atomic<uint32_t> read;  // files read
  std::atomic<uint32_t> reader_sleeps;
  alignas(64) std::array<Slot, Slots> slots;
};

static_assert(std::atomic<uint32_t>::is_always_lock_free &&
                  sizeof(std::atomic<uint32_t>) == sizeof(uint32_t),
              "a futex is a plain 32-bit word");

// Futexes shared between processes: not FUTEX_PRIVATE_FLAG.
void Sleep(std::atomic<uint32_t>& word, uint32_t value, const timespec* timeout = nullptr) {
  (void)syscall(SYS_futex, reinterpret_cast<uint32_t*>(&word), FUTEX_WAIT, value, timeout, nullptr,
                0);
}

void Wake(std::atomic<uint32_t>& word) {
  (void)syscall(SYS_futex, reinterpret_cast<uint32_t*>(&word), FUTEX_WAKE, 1, nullptr, nullptr, 0);
}

// A new name or the list's end: a bell rung after the reader looked cannot be missed.
void WakeReader(Ring& ring) {
  if (ring.reader_sleeps.load() == 0) return;
  ring.reader_bell.fetch_add(1);
  Wake(ring.reader_bell);
}

// As ReadDrawFile reads, open(2) and read(2) for fopen and fread, but straight
// into the slot.
void ReadSlot(Slot& slot) {
  slot.size = 0;
  errno = 0;
  const int file = open(slot.name.data(), O_RDONLY);
  if (file < 0) {
    slot.read_code = LastError();
    return;
  }
  slot.read_code = 0;
  while (slot.size < slot.bytes.size()) {
    const ssize_t got = read(file, &slot.bytes[slot.size], slot.bytes.size() - slot.size);
    if (got <= 0) {
      if (got < 0) slot.read_code = LastError();
      break;
    }
    slot.size += static_cast<uint32_t>(got);
  }
  (void)close(file);  // read only: nothing to lose
}

[[noreturn]] void Reader(Ring& ring, pid_t checker) {
  // Dies with the checker, whatever ends it, even while a FIFO keeps it waiting.
  (void)prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != checker) _exit(0);
  for (uint32_t done = 0;;) {
    if (ring.posted.load() == done) {
      // The end first: names posted before it are then seen.
      if (ring.ended.load() != 0 && ring.posted.load() == done) _exit(0);
      const uint32_t bell = ring.reader_bell.load();
      ring.reader_sleeps.store(1);
      if (ring.posted.load() == done && ring.ended.load() == 0) Sleep(ring.reader_bell, bell);
      ring.reader_sleeps.store(0);
      continue;
    }
    Slot& slot = ring.slots[done % Slots];
    if (slot.name[0] != '\0') ReadSlot(slot);
    ring.read.store(++done);
    // Only the checker clears its flag: a late clear here could undo its next sleep.
    if (ring.checker_sleeps.load() != 0) Wake(ring.read);
  }
}

// A name too long to open fails here as it would there. These are read here too,
// as they name another file in the reader: its own /proc/self, or its
// descriptors, which it shares with the checker.
bool NamesThisProcess(std::string_view name) {
  constexpr std::array<std::string_view, 4> Own{"/proc/self/", "/proc/thread-self/", "/dev/fd/",
                                                "/dev/std"};
  return std::any_of(Own.begin(), Own.end(),
                     [name](std::string_view own) { return name.substr(0, own.size()) == own; });
}

struct Reading {
  Ring* ring = nullptr;
  pid_t reader = -1;
  uint32_t taken = 0;
  bool gone = false;  // the reader: this process reads the rest
  std::array<FileRead, Slots> files;
  std::array<std::string, Slots> messages;  // the list's, printed before each file
  std::string bytes;                        // of a file read here
};

bool ReaderGone(Reading& reading) {
  int status = 0;
  const pid_t waited = waitpid(reading.reader, &status, WNOHANG);
  return waited == reading.reader || (waited < 0 && errno == ECHILD);
}

void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#elif defined(__aarch64__)
  __asm__ volatile("yield");
#endif
}

// Whether the reader reads on within about 50 us, watched rather than slept
// on: a checker that slept had to be woken by the reader, at a cost to the
// reader, and reading is what sets the pace.
bool ReadsOnSoon(const Ring& ring, uint32_t read) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(50);
  do {
    for (int look = 0; look < 64; ++look) {
      if (ring.read.load(std::memory_order_relaxed) != read) return true;
      CpuRelax();
    }
  } while (std::chrono::steady_clock::now() < until);
  return false;
}

// Waits until the reader has read the next file to take; where it is gone
// (killed), this process reads that file itself.
void AwaitRead(Reading& reading) {
  Ring& ring = *reading.ring;
  WakeReader(ring);
  while (ring.read.load() == reading.taken) {
    if (!reading.gone) {
      if (ReadsOnSoon(ring, reading.taken)) continue;
      ring.checker_sleeps.store(1);
      if (ring.read.load() == reading.taken) {
        // Wakes now and then to see that the reader still lives.
        const timespec tenth{0, 100'000'000};
        Sleep(ring.read, reading.taken, &tenth);
      }
      ring.checker_sleeps.store(0);
      if (ring.read.load() != reading.taken) continue;
      reading.gone = ReaderGone(reading);
      if (!reading.gone) continue;
    }
    ring.slots[reading.taken % Slots].name[0] = '\0';  // read here, at its turn
    ring.read.store(reading.taken + 1);
  }
}

void TakeOldest(Reading& reading, const std::function<void(const FileRead&)>& take) {
  const uint32_t index = reading.taken % Slots;
  Slot& slot = reading.ring->slots[index];
  FileRead& file = reading.files[index];
  if (slot.name[0] != '\0') {
    file.read_code = slot.read_code;
    file.bytes = std::string_view(slot.bytes.data(), slot.size);
  } else {
    file.read_code = ReadDrawFile(file.name.c_str(), reading.bytes);
    file.bytes = reading.bytes;
  }
  PrintListMessages(reading.messages[index]);
  take(file);
  ++reading.taken;
}

// Whether the next name could keep the run waiting: a list fed slowly through a
// pipe, whose names read so far are to be checked before it is waited on.
bool ListMayWait(const Names& names) {
  if (!names.from_list) return false;
  std::FILE* list = names.list.file;
#ifdef __GLIBC__
  // A whole name waits in the buffer.
  const char* buffered = list->_IO_read_ptr;
  if (buffered < list->_IO_read_end &&
      std::memchr(buffered, '\0', static_cast<std::size_t>(list->_IO_read_end - buffered)) !=
          nullptr) {
    return false;
  }
#endif
  pollfd ready{fileno(list), POLLIN, 0};
  return poll(&ready, 1, 0) != 1;
}

}  // namespace

bool ReadEachFileAhead(Names& names, const std::function<void(const FileRead&)>& take) {
  // On one core there is nothing to overlap, and watching would only hold the reader up.
  cpu_set_t cores;
  if (sched_getaffinity(0, sizeof cores, &cores) != 0 || CPU_COUNT(&cores) < 2) return false;
  void* shared =
      mmap(nullptr, sizeof(Ring), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  if (shared == MAP_FAILED) return false;
  Reading reading{};
  reading.ring = new (shared) Ring{};
  Ring& ring = *reading.ring;
  const pid_t checker = getpid();
  reading.reader = fork();
  if (reading.reader == 0) Reader(ring, checker);
  if (reading.reader < 0) {
    (void)munmap(shared, sizeof(Ring));
    return false;
  }
  uint32_t posted = 0;
  for (bool ended = false; !ended;) {
    while (posted - reading.taken < Slots) {
      if (posted != reading.taken && ListMayWait(names)) break;
      FileRead& file = reading.files[posted % Slots];
      if (!NextName(names, file.name, file.place)) {
        ended = true;
        break;
      }
      reading.messages[posted % Slots] = std::move(names.list.messages);
      names.list.messages.clear();
      Slot& slot = ring.slots[posted % Slots];
      if (file.name.size() < slot.name.size() && !NamesThisProcess(file.name)) {
        std::memcpy(slot.name.data(), file.name.c_str(), file.name.size() + 1);
      } else {
        slot.name[0] = '\0';  // read here, at its turn
      }
      ring.posted.store(++posted);
      if (posted - ring.read.load() == Batch) WakeReader(ring);
    }
    // What is read is checked, at least the oldest file; all of it before the
    // list is waited on, and at its end.
    const bool all = ended || posted - reading.taken < Slots;
    if (ended) {
      ring.ended.store(1);
      WakeReader(ring);
    }
    const uint32_t until =
        all ? posted : reading.taken + std::max(1U, ring.read.load() - reading.taken);
    // Each file as soon as it is read, as the plain loop has reported it before
    // it waits on the next (a FIFO without its writer).
    while (reading.taken != until) {
      AwaitRead(reading);
      const uint32_t ready = std::min(until - reading.taken, ring.read.load() - reading.taken);
      for (uint32_t file = 0; file < ready; ++file) TakeOldest(reading, take);
    }
  }
  PrintListMessages(names.list.messages);
  int status = 0;
  while (waitpid(reading.reader, &status, 0) < 0 && errno == EINTR) {
  }
  (void)munmap(shared, sizeof(Ring));
  return true;
}

}  // namespace pivra

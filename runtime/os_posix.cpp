// The OS layer on POSIX systems: pthreads, POSIX clocks and the x87 control
// word through <fpu_control.h>.
#include "runtime/os.h"

#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>

#if defined(__i386__) || defined(__x86_64__)
#include <fpu_control.h>
#define POMARELO_HAS_X87 1
#endif

namespace os {

namespace slot_detail {

__thread HeldValue threadValues[kMaxTlsSlots];
std::atomic<uint32_t> slotGenerations[kMaxTlsSlots];

}  // namespace slot_detail

namespace {

struct ThreadStartBlock {
  ThreadFunction function;
  void* argument;
};

struct ThreadHandle {
  pthread_t thread;
  bool joined;
};

void* ThreadTrampoline(void* raw) {
  ThreadStartBlock block = *static_cast<ThreadStartBlock*>(raw);
  free(raw);
  uint32_t code = block.function(block.argument);
  return reinterpret_cast<void*>(static_cast<uintptr_t>(code));
}

pthread_mutex_t tlsTableMutex = PTHREAD_MUTEX_INITIALIZER;

// A counting semaphore with a maximum, like the Win32 one: releasing beyond
// the maximum is refused.
struct Semaphore {
  pthread_mutex_t mutex;
  pthread_cond_t available;
  int32_t count;
  int32_t maximum;
};

}  // namespace

void* ThreadCreate(ThreadFunction function, void* argument) {
  if (!function) return nullptr;
  auto* block = static_cast<ThreadStartBlock*>(malloc(sizeof(ThreadStartBlock)));
  auto* handle = static_cast<ThreadHandle*>(malloc(sizeof(ThreadHandle)));
  if (!block || !handle) {
    free(block);
    free(handle);
    return nullptr;
  }
  block->function = function;
  block->argument = argument;
  handle->joined = false;
  if (pthread_create(&handle->thread, nullptr, ThreadTrampoline, block) != 0) {
    free(block);
    free(handle);
    return nullptr;
  }
  return handle;
}

bool ThreadJoin(void* handle, uint32_t* exitCode) {
  if (!handle) return false;
  auto* h = static_cast<ThreadHandle*>(handle);
  if (h->joined) return false;
  void* result = nullptr;
  if (pthread_join(h->thread, &result) != 0) return false;
  h->joined = true;
  if (exitCode) *exitCode = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(result));
  return true;
}

void ThreadClose(void* handle) {
  // Like closing a Win32 thread handle: the thread runs on if it has not
  // ended, and its resources go when it does.
  if (!handle) return;
  auto* h = static_cast<ThreadHandle*>(handle);
  if (!h->joined) pthread_detach(h->thread);
  free(h);
}

uintptr_t CurrentThreadId() {
  static thread_local char marker;
  return reinterpret_cast<uintptr_t>(&marker);
}

// Allocation and release change a slot's generation under the mutex; the
// slot reads (TlsGet, in os.h) only look at it.
int32_t TlsAllocate() {
  using namespace slot_detail;
  pthread_mutex_lock(&tlsTableMutex);
  int32_t found = -1;
  for (int32_t i = 0; i < kMaxTlsSlots; ++i) {
    const uint32_t generation = slotGenerations[i].load(std::memory_order_relaxed);
    if (!(generation & 1)) {
      slotGenerations[i].store(generation + 1, std::memory_order_release);
      found = i;
      break;
    }
  }
  pthread_mutex_unlock(&tlsTableMutex);
  return found;
}

void TlsRelease(int32_t slot) {
  using namespace slot_detail;
  if (slot < 0 || slot >= kMaxTlsSlots) return;
  pthread_mutex_lock(&tlsTableMutex);
  const uint32_t generation = slotGenerations[slot].load(std::memory_order_relaxed);
  if (generation & 1) slotGenerations[slot].store(generation + 1, std::memory_order_release);
  pthread_mutex_unlock(&tlsTableMutex);
}

void TlsPut(int32_t slot, void* value) {
  using namespace slot_detail;
  if (slot < 0 || slot >= kMaxTlsSlots) return;
  const uint32_t generation = slotGenerations[slot].load(std::memory_order_acquire);
  if (generation & 1) threadValues[slot] = HeldValue{value, generation};
}

struct Lock {
  pthread_mutex_t mutex;
};

Lock* LockCreate() {
  auto* lock = static_cast<Lock*>(malloc(sizeof(Lock)));
  if (!lock) return nullptr;
  pthread_mutexattr_t attributes;
  pthread_mutexattr_init(&attributes);
  pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
  int failed = pthread_mutex_init(&lock->mutex, &attributes);
  pthread_mutexattr_destroy(&attributes);
  if (failed) {
    free(lock);
    return nullptr;
  }
  return lock;
}

void LockEnter(Lock* lock) {
  if (lock) pthread_mutex_lock(&lock->mutex);
}

void LockLeave(Lock* lock) {
  if (lock) pthread_mutex_unlock(&lock->mutex);
}

void LockDestroy(Lock* lock) {
  if (!lock) return;
  pthread_mutex_destroy(&lock->mutex);
  free(lock);
}

void* SemaphoreCreate(int32_t initial, int32_t maximum) {
  if (maximum <= 0 || initial < 0 || initial > maximum) return nullptr;
  auto* s = static_cast<Semaphore*>(malloc(sizeof(Semaphore)));
  if (!s) return nullptr;
  pthread_mutex_init(&s->mutex, nullptr);
  pthread_cond_init(&s->available, nullptr);
  s->count = initial;
  s->maximum = maximum;
  return s;
}

void SemaphoreWait(void* semaphore) {
  if (!semaphore) return;
  auto* s = static_cast<Semaphore*>(semaphore);
  pthread_mutex_lock(&s->mutex);
  while (s->count == 0) pthread_cond_wait(&s->available, &s->mutex);
  --s->count;
  pthread_mutex_unlock(&s->mutex);
}

void SemaphoreRelease(void* semaphore) {
  if (!semaphore) return;
  auto* s = static_cast<Semaphore*>(semaphore);
  pthread_mutex_lock(&s->mutex);
  if (s->count < s->maximum) {
    ++s->count;
    pthread_cond_signal(&s->available);
  }
  pthread_mutex_unlock(&s->mutex);
}

void SemaphoreClose(void* semaphore) {
  if (!semaphore) return;
  auto* s = static_cast<Semaphore*>(semaphore);
  pthread_cond_destroy(&s->available);
  pthread_mutex_destroy(&s->mutex);
  free(s);
}

void SleepMilliseconds(uint32_t milliseconds) {
  if (milliseconds == 0) {
    sched_yield();
    return;
  }
  timespec request;
  request.tv_sec = static_cast<time_t>(milliseconds / 1000);
  request.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
  while (nanosleep(&request, &request) != 0 && errno == EINTR) {
  }
}

bool PerformanceFrequency(int64_t* frequency) {
  if (!frequency) return false;
  *frequency = 1000000000;
  return true;
}

int64_t PerformanceCounter() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

uint32_t TickCount() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);
}

bool ConsoleKeyPressed() {
  if (!isatty(0)) return false;
  pollfd input = {0, POLLIN, 0};
  if (poll(&input, 1, 0) <= 0 || !(input.revents & POLLIN)) return false;
  // Consume what is waiting so that the next call reports only new input.
  char discard[256];
  ssize_t got = read(0, discard, sizeof discard);
  return got > 0;
}

void FloatingPointSetExtended() {
#ifdef POMARELO_HAS_X87
  fpu_control_t word;
  _FPU_GETCW(word);
  word = static_cast<fpu_control_t>((word & ~(_FPU_EXTENDED | _FPU_RC_ZERO)) | _FPU_EXTENDED | _FPU_RC_NEAREST);
  _FPU_SETCW(word);
#endif
}

uint32_t FloatingPointControlWord() {
#ifdef POMARELO_HAS_X87
  fpu_control_t word;
  _FPU_GETCW(word);
  return word;
#else
  return 0;
#endif
}

}  // namespace os

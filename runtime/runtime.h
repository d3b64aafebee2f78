// Process services: start and end, threads and their slots, error numbers, hooks, sleep,
// random numbers, the timer and a mutex. Portable: the OS is reached only through os.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/os.h"

// ---- start and end -------------------------------------------------------

// Runs its work once per process (use counter); set up before the entry.
void RuntimeInit();
// Records the argument vector and the compatibility selector.
void RuntimeStart(int32_t argumentCount, char** argumentVector, int32_t compatibility);
// Counterpart of RuntimeInit; runs its work when the use counter reaches 0.
void RuntimeShutdown();
// Ends the process through the platform runtime's exit (atexit handlers run
// on the calling thread). Safe to call from any thread while others run.
[[noreturn]] void ProgramEnd(int32_t code);

int32_t RuntimeArgumentCount();
char** RuntimeArgumentVector();
int32_t RuntimeCompatibility();

// True while another thread may run runtime code: the caller is not the one that ran
// RuntimeStart, or a ThreadStart routine has not returned. Teardown then keeps shared state.
bool RuntimeOtherThreadsRunning();

// ---- threads and per-thread blocks ---------------------------------------

using ThreadRoutine = uintptr_t (*)(uintptr_t value);

struct ThreadRecord {
  void* handle;
  ThreadRoutine routine;
  uintptr_t param;
};

// Starts routine(value) on a new thread; null when the thread can't start.
ThreadRecord* ThreadStart(ThreadRoutine routine, uintptr_t value);

constexpr int kThreadSlotCount = 5;
constexpr int kErrorSlot = 0;  // the ErrorRecord
constexpr int kDrawSlot = 4;   // the raster library's DrawContext

namespace runtime_detail {
// The platform slot behind each slot, -1 where there is none.
extern int32_t threadSlots[kThreadSlotCount];
void* MakeThreadContextBlock(int slot, size_t size);
}  // namespace runtime_detail

// The calling thread's block in slot, null when it has none yet or there is no such slot.
// Inline, like the next: the raster library asks for its block on every primitive.
inline void* ThreadContextBlockIfMade(int slot) {
  if (static_cast<unsigned>(slot) >= static_cast<unsigned>(kThreadSlotCount)) return nullptr;
  return os::TlsGet(runtime_detail::threadSlots[slot]);
}

// The calling thread's block in slot, calloc'ed with size on first request.
// Null when the slot does not exist or memory is exhausted.
inline void* ThreadContextBlock(int slot, size_t size) {
  if (void* block = ThreadContextBlockIfMade(slot)) return block;
  return runtime_detail::MakeThreadContextBlock(slot, size);
}
// Frees the calling thread's block in slot, if any, after passing it to the release routine.
void ThreadContextFree(int slot);
// Frees what a slot's blocks own (set by the slot's owner; null: nothing). It runs for
// every block ThreadContextFree frees, a thread's own when its routine ends among them.
using ThreadContextRelease = void (*)(void* block);
void ThreadContextSetRelease(int slot, ThreadContextRelease release);

struct ErrorRecord {
  int32_t words[7];  // words[1]: the thread's last error number
};

int32_t SetErrorNumber(int32_t number);
// The calling thread's last error number (0: none).
int32_t ErrorNumber();

// ---- hooks ----------------------------------------------------------------

constexpr int kRuntimeHookCount = 25;
constexpr int kSleepHookIndex = 23;
using SleepHook = void (*)(int32_t milliseconds);
using RuntimeHook = void (*)();

struct RuntimeHooks {
  RuntimeHook entries[kRuntimeHookCount];
};

// Replaces all 25 entries at once (null clears them).
void RuntimeSetHooks(const RuntimeHooks* hooks);
RuntimeHooks RuntimeGetHooks();

// ---- sleep, random numbers, timer -----------------------------------------

void RuntimeSleep(int32_t milliseconds);

// The sleep behind RuntimeSleep and the raster library's sleep hook, each with its own key
// test and wait: -1 waits for a key; 100 ms or more go in 50 ms steps, ending early at a key,
// then the rest; a shorter sleep, or 0, is one wait; values below -1 return at once.
using SleepKeyTest = bool (*)();
using SleepWait = void (*)(uint32_t milliseconds);
void SleepWatchingKey(int32_t milliseconds, SleepKeyTest keyPressed, SleepWait wait);

double Rnd(float n);
void Randomize(double seed, int32_t algorithm);
double RuntimeTimer();

enum RandomAlgorithm : int32_t {
  kRandomAutomatic = 0,
  kRandomPlatform = 1,
  kRandomFastLcg = 2,
  kRandomMersenne = 3,
  kRandom24BitLcg = 4,
};

// ---- mutex ------------------------------------------------------------------

struct RuntimeMutex {
  void* semaphore;
};

RuntimeMutex* MutexCreate();
void MutexLock(RuntimeMutex* mutex);
void MutexUnlock(RuntimeMutex* mutex);
void MutexDestroy(RuntimeMutex* mutex);

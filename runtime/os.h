// The one thin operating-system layer. os_win32.cpp implements it with
// Win32 and the msvcrt runtime, os_posix.cpp with POSIX; nothing else in the
// project reaches the operating system directly.
#pragma once

#include <cstdint>

namespace os {

// Threads. The routine's result becomes the thread's exit code.
using ThreadFunction = uint32_t (*)(void* argument);
void* ThreadCreate(ThreadFunction function, void* argument);  // handle or null
bool ThreadJoin(void* handle, uint32_t* exitCode);            // for tests
void ThreadClose(void* handle);
uintptr_t CurrentThreadId();

// Thread-local slots; -1 when none is left. A slot allocated anew is empty on every
// thread. TlsGet is inline (below): the raster library reads a slot on every primitive.
int32_t TlsAllocate();
void TlsRelease(int32_t slot);
inline void* TlsGet(int32_t slot);
void TlsPut(int32_t slot, void* value);

// Recursive lock (a critical section on Windows).
struct Lock;
Lock* LockCreate();
void LockEnter(Lock* lock);
void LockLeave(Lock* lock);
void LockDestroy(Lock* lock);

// Counting semaphore.
void* SemaphoreCreate(int32_t initial, int32_t maximum);
void SemaphoreWait(void* semaphore);
void SemaphoreRelease(void* semaphore);
void SemaphoreClose(void* semaphore);

void SleepMilliseconds(uint32_t milliseconds);
// Whether a key was pressed on the console since the last call (false
// without a console); clears that state.
bool ConsoleKeyPressed();
bool PerformanceFrequency(int64_t* frequency);
int64_t PerformanceCounter();
uint32_t TickCount();

// Round to nearest, 64-bit significand on the x87 unit.
void FloatingPointSetExtended();
// The x87 control word (0 where there is no x87 unit), for tests.
uint32_t FloatingPointControlWord();

}  // namespace os

// The slot read: the one place outside the two platform files that knows its platform.
#if defined(_WIN32)

// The segment reads below are written in the SDK as reads of the small
// address they take from the segment, which GCC 12 reports as out of bounds
// on 32-bit builds; they are not.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
#include <intrin.h>
#pragma GCC diagnostic pop

namespace os {

// TlsGetValue reads a thread's slots from its TEB, at offsets the Windows ABI fixes: the
// first 64 in an array there, the next 1024 in an array it points to once one is set. Read
// directly, a slot costs a load or two instead of a call (os_win32.cpp checks the offsets).
#if defined(_WIN64)
constexpr uint32_t kTebTlsSlots = 0x1480, kTebTlsExpansionSlots = 0x1780;
#else
constexpr uint32_t kTebTlsSlots = 0xE10, kTebTlsExpansionSlots = 0xF94;
#endif

inline void* TlsGet(int32_t slot) {
  constexpr uint32_t kDirectSlots = 64, kExpansionSlots = 1024;
  const uint32_t index = static_cast<uint32_t>(slot);
#if defined(_WIN64)
  if (index < kDirectSlots) {
    return reinterpret_cast<void*>(__readgsqword(kTebTlsSlots + 8 * index));
  }
  const auto* expansion = reinterpret_cast<void* const*>(__readgsqword(kTebTlsExpansionSlots));
#else
  if (index < kDirectSlots) {
    return reinterpret_cast<void*>(__readfsdword(kTebTlsSlots + 4 * index));
  }
  const auto* expansion = reinterpret_cast<void* const*>(__readfsdword(kTebTlsExpansionSlots));
#endif
  if (index >= kDirectSlots + kExpansionSlots || !expansion) return nullptr;
  return expansion[index - kDirectSlots];
}

}  // namespace os

#else

#include <atomic>

namespace os {
namespace slot_detail {

constexpr int32_t kMaxTlsSlots = 64;

// A slot's generation is odd while it is allocated and moves on at every
// allocation and release; a value holds only under the generation it was
// put in, so a slot allocated anew reads empty on every thread.
struct HeldValue {
  void* value;
  uint32_t generation;
};
extern __thread HeldValue threadValues[kMaxTlsSlots];
extern std::atomic<uint32_t> slotGenerations[kMaxTlsSlots];

}  // namespace slot_detail

inline void* TlsGet(int32_t slot) {
  using namespace slot_detail;
  const uint32_t index = static_cast<uint32_t>(slot);
  if (index >= static_cast<uint32_t>(kMaxTlsSlots)) return nullptr;
  const uint32_t generation = slotGenerations[index].load(std::memory_order_acquire);
  const HeldValue& held = threadValues[index];
  return (generation & 1) && held.generation == generation ? held.value : nullptr;
}

}  // namespace os

#endif

// The OS layer on Windows: Win32 kernel calls and the msvcrt runtime.
#include "runtime/os.h"

#include <windows.h>
#include <winternl.h>
#include <float.h>
#include <process.h>

#include <cstddef>
#include <cstdlib>

namespace os {

static_assert(offsetof(TEB, TlsSlots) == kTebTlsSlots, "the slots' place in the TEB");
static_assert(offsetof(TEB, TlsExpansionSlots) == kTebTlsExpansionSlots,
              "the expansion slots' place in the TEB");

namespace {

struct ThreadStartBlock {
  ThreadFunction function;
  void* argument;
};

unsigned __stdcall ThreadTrampoline(void* raw) {
  ThreadStartBlock block = *static_cast<ThreadStartBlock*>(raw);
  free(raw);
  return block.function(block.argument);
}

}  // namespace

void* ThreadCreate(ThreadFunction function, void* argument) {
  if (!function) return nullptr;
  auto* block = static_cast<ThreadStartBlock*>(malloc(sizeof(ThreadStartBlock)));
  if (!block) return nullptr;
  block->function = function;
  block->argument = argument;
  uintptr_t handle = _beginthreadex(nullptr, 0, ThreadTrampoline, block, 0, nullptr);
  if (handle == 0) {
    free(block);
    return nullptr;
  }
  return reinterpret_cast<void*>(handle);
}

bool ThreadJoin(void* handle, uint32_t* exitCode) {
  if (!handle) return false;
  if (WaitForSingleObject(static_cast<HANDLE>(handle), INFINITE) != WAIT_OBJECT_0) return false;
  DWORD code = 0;
  if (!GetExitCodeThread(static_cast<HANDLE>(handle), &code)) return false;
  if (exitCode) *exitCode = code;
  return true;
}

void ThreadClose(void* handle) {
  if (handle) CloseHandle(static_cast<HANDLE>(handle));
}

uintptr_t CurrentThreadId() { return GetCurrentThreadId(); }

int32_t TlsAllocate() {
  DWORD index = TlsAlloc();
  if (index == TLS_OUT_OF_INDEXES || index > 0x7FFFFFFFu) return -1;
  return static_cast<int32_t>(index);
}

void TlsRelease(int32_t slot) {
  if (slot >= 0) TlsFree(static_cast<DWORD>(slot));
}

void TlsPut(int32_t slot, void* value) {
  if (slot >= 0) TlsSetValue(static_cast<DWORD>(slot), value);
}

struct Lock {
  CRITICAL_SECTION section;
};

Lock* LockCreate() {
  auto* lock = static_cast<Lock*>(malloc(sizeof(Lock)));
  if (!lock) return nullptr;
  InitializeCriticalSection(&lock->section);
  return lock;
}

void LockEnter(Lock* lock) {
  if (lock) EnterCriticalSection(&lock->section);
}

void LockLeave(Lock* lock) {
  if (lock) LeaveCriticalSection(&lock->section);
}

void LockDestroy(Lock* lock) {
  if (!lock) return;
  DeleteCriticalSection(&lock->section);
  free(lock);
}

void* SemaphoreCreate(int32_t initial, int32_t maximum) {
  if (maximum <= 0 || initial < 0 || initial > maximum) return nullptr;
  return CreateSemaphoreA(nullptr, initial, maximum, nullptr);
}

void SemaphoreWait(void* semaphore) {
  if (semaphore) WaitForSingleObject(static_cast<HANDLE>(semaphore), INFINITE);
}

void SemaphoreRelease(void* semaphore) {
  if (semaphore) ReleaseSemaphore(static_cast<HANDLE>(semaphore), 1, nullptr);
}

void SemaphoreClose(void* semaphore) {
  if (semaphore) CloseHandle(static_cast<HANDLE>(semaphore));
}

void SleepMilliseconds(uint32_t milliseconds) { Sleep(milliseconds); }

bool PerformanceFrequency(int64_t* frequency) {
  if (!frequency) return false;
  LARGE_INTEGER value;
  if (!QueryPerformanceFrequency(&value) || value.QuadPart <= 0) return false;
  *frequency = value.QuadPart;
  return true;
}

int64_t PerformanceCounter() {
  LARGE_INTEGER value;
  if (!QueryPerformanceCounter(&value)) return 0;
  return value.QuadPart;
}

uint32_t TickCount() { return GetTickCount(); }

bool ConsoleKeyPressed() {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  if (input == nullptr || input == INVALID_HANDLE_VALUE || !GetConsoleMode(input, &mode)) return false;
  bool pressed = false;
  for (;;) {
    DWORD waiting = 0;
    if (!GetNumberOfConsoleInputEvents(input, &waiting) || waiting == 0) break;
    INPUT_RECORD records[16];
    DWORD got = 0;
    if (!ReadConsoleInputA(input, records, 16, &got) || got == 0) break;
    for (DWORD i = 0; i < got; ++i) {
      if (records[i].EventType == KEY_EVENT && records[i].Event.KeyEvent.bKeyDown) pressed = true;
    }
  }
  return pressed;
}

// _controlfp sets the rounding of both units, but 64-bit Windows ignores its
// precision field and starts every thread with a 53-bit x87 significand, so
// the x87 word is also set directly: round to nearest, 64-bit significand.
void FloatingPointSetExtended() {
  _controlfp(0, _MCW_RC | _MCW_PC);
  uint16_t word = 0;
  __asm__ __volatile__("fnstcw %0" : "=m"(word));
  word = static_cast<uint16_t>((word & ~0x0F00u) | 0x0300u);
  __asm__ __volatile__("fldcw %0" : : "m"(word));
}

uint32_t FloatingPointControlWord() {
  uint16_t word = 0;
  __asm__ __volatile__("fnstcw %0" : "=m"(word));
  return word;
}

}  // namespace os

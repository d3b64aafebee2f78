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

// Thread-local slots; -1 when none is left.
int32_t TlsAllocate();
void TlsRelease(int32_t slot);
void* TlsGet(int32_t slot);
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

// A mutex made of a semaphore with one token: it has no owner, so any
// thread may unlock it, and locking it twice on one thread blocks.
#include <cstdlib>

#include "runtime/os.h"
#include "runtime/runtime.h"

RuntimeMutex* MutexCreate() {
  auto* mutex = static_cast<RuntimeMutex*>(malloc(sizeof(RuntimeMutex)));
  if (!mutex) return nullptr;
  mutex->semaphore = os::SemaphoreCreate(1, 1);
  if (!mutex->semaphore) {
    // A mutex without its semaphore would exclude nothing.
    free(mutex);
    return nullptr;
  }
  return mutex;
}

void MutexLock(RuntimeMutex* mutex) {
  if (mutex) os::SemaphoreWait(mutex->semaphore);
}

void MutexUnlock(RuntimeMutex* mutex) {
  if (mutex) os::SemaphoreRelease(mutex->semaphore);
}

void MutexDestroy(RuntimeMutex* mutex) {
  if (!mutex) return;
  os::SemaphoreClose(mutex->semaphore);
  free(mutex);
}

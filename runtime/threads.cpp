// Threads started by the runtime, the per-thread context blocks in the five
// slots and the per-thread error number kept in slot 0.
#include <atomic>
#include <cstdlib>

#include "runtime/runtime_context.h"

using namespace runtime_detail;

namespace {

std::atomic<ThreadContextRelease> g_releases[kThreadSlotCount];

int32_t PlatformSlot(int slot) {
  if (slot < 0 || slot >= kThreadSlotCount) return -1;
  return threadSlots[slot];
}

uint32_t ThreadEntry(void* argument) {
  auto* record = static_cast<ThreadRecord*>(argument);
  // Every thread computes under the same floating-point setting as the one
  // that initialised the runtime; a new thread starts with the platform's.
  os::FloatingPointSetExtended();
  record->routine(record->param);
  FreeThreadBlocks();
  ThreadFinished();
  return 1;
}

}  // namespace

ThreadRecord* ThreadStart(ThreadRoutine routine, uintptr_t value) {
  if (!routine) return nullptr;
  auto* record = static_cast<ThreadRecord*>(malloc(sizeof(ThreadRecord)));
  if (!record) return nullptr;
  record->handle = nullptr;
  record->routine = routine;
  record->param = value;
  // Counted before the thread exists, so that nobody sees it running uncounted.
  ThreadStarting();
  void* handle = os::ThreadCreate(ThreadEntry, record);
  if (!handle) {
    ThreadFinished();
    free(record);
    return nullptr;
  }
  record->handle = handle;
  return record;
}

namespace runtime_detail {

void FreeThreadBlocks() {
  for (int slot = 0; slot < kThreadSlotCount; ++slot) ThreadContextFree(slot);
}

void* MakeThreadContextBlock(int slot, size_t size) {
  const int32_t platformSlot = PlatformSlot(slot);
  if (platformSlot < 0) return nullptr;
  void* block = os::TlsGet(platformSlot);
  if (!block) {
    block = calloc(1, size ? size : 1);
    if (!block) return nullptr;
    os::TlsPut(platformSlot, block);
  }
  return block;
}

}  // namespace runtime_detail

void ThreadContextFree(int slot) {
  int32_t platformSlot = PlatformSlot(slot);
  if (platformSlot < 0) return;
  void* block = os::TlsGet(platformSlot);
  if (block) {
    ThreadContextRelease release = g_releases[slot].load(std::memory_order_acquire);
    if (release) release(block);
    free(block);
    os::TlsPut(platformSlot, nullptr);
  }
}

void ThreadContextSetRelease(int slot, ThreadContextRelease release) {
  if (slot < 0 || slot >= kThreadSlotCount) return;
  g_releases[slot].store(release, std::memory_order_release);
}

int32_t SetErrorNumber(int32_t number) {
  auto* record = static_cast<ErrorRecord*>(ThreadContextBlock(kErrorSlot, sizeof(ErrorRecord)));
  if (record) record->words[1] = number;
  return number;
}

int32_t ErrorNumber() {
  auto* record = static_cast<ErrorRecord*>(ThreadContextBlockIfMade(kErrorSlot));
  return record ? record->words[1] : 0;
}

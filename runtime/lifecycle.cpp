// Start and end of the runtime: the use counter, the context record, the
// two locks and the thread slots, and the end of the program.
#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "runtime/runtime_context.h"

namespace runtime_detail {

RuntimeContext context = {0, nullptr, {nullptr, 0, 0}, nullptr, {}, 0};
int32_t threadSlots[kThreadSlotCount] = {-1, -1, -1, -1, -1};
os::Lock* hooksLock = nullptr;
os::Lock* stringLock = nullptr;

namespace {

std::atomic<int32_t> useCount{0};
std::atomic<uintptr_t> mainThread{0};
std::atomic<int32_t> runningThreads{0};

// When teardown had to leave the locks and slots alive because other
// threads could still use them, a later RuntimeInit takes them over again
// instead of making new ones.
bool resourcesKept = false;
int32_t keptSlots[kThreadSlotCount];

}  // namespace

void ThreadStarting() { runningThreads.fetch_add(1); }
void ThreadFinished() { runningThreads.fetch_sub(1); }

}  // namespace runtime_detail

using namespace runtime_detail;

void RuntimeInit() {
  if (useCount.fetch_add(1) != 0) return;
  context = RuntimeContext{};
  mainThread.store(os::CurrentThreadId());
  os::FloatingPointSetExtended();
  if (resourcesKept) {
    for (int i = 0; i < kThreadSlotCount; ++i) threadSlots[i] = keptSlots[i];
    resourcesKept = false;
  } else {
    hooksLock = os::LockCreate();
    stringLock = os::LockCreate();
    for (int i = 0; i < kThreadSlotCount; ++i) threadSlots[i] = os::TlsAllocate();
  }
}

void RuntimeStart(int32_t argumentCount, char** argumentVector, int32_t compatibility) {
  context.argumentCount = argumentCount;
  context.argumentVector = argumentVector;
  context.compatibility = compatibility;
  mainThread.store(os::CurrentThreadId());
}

void RuntimeShutdown() {
  // Never below zero, so that a stray extra call cannot stop the next
  // RuntimeInit from doing its work.
  int32_t count = useCount.load();
  do {
    if (count <= 0) return;
  } while (!useCount.compare_exchange_weak(count, count - 1));
  if (count != 1) return;

  if (RuntimeOtherThreadsRunning()) {
    // Another thread may hold or wait on the locks, or still use its blocks: free only
    // this thread's own and leave the rest to the end of the process.
    FreeThreadBlocks();
    for (int i = 0; i < kThreadSlotCount; ++i) keptSlots[i] = threadSlots[i];
    resourcesKept = true;
  } else {
    os::LockDestroy(hooksLock);
    os::LockDestroy(stringLock);
    hooksLock = nullptr;
    stringLock = nullptr;
    FreeThreadBlocks();
    for (int i = 0; i < kThreadSlotCount; ++i) {
      os::TlsRelease(threadSlots[i]);
      threadSlots[i] = -1;
    }
  }
  if (context.exitMessage) fputs(context.exitMessage, stderr);
}

void ProgramEnd(int32_t code) { exit(code); }

int32_t RuntimeArgumentCount() { return context.argumentCount; }
char** RuntimeArgumentVector() { return context.argumentVector; }
int32_t RuntimeCompatibility() { return context.compatibility; }

bool RuntimeOtherThreadsRunning() {
  if (runningThreads.load() > 0) return true;
  uintptr_t main = mainThread.load();
  return main != 0 && main != os::CurrentThreadId();
}

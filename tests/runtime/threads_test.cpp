// Threads made by the runtime, their context blocks and error numbers, the
// semaphore mutex, and several threads using the runtime at once.
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>

#include "runtime/os.h"
#include "runtime_fixture.h"

namespace {

using RuntimeThreads = RuntimeTest;

struct Seen {
  uintptr_t value = 0;
  int32_t errorAtStart = -1;
  void* block = nullptr;
  bool blockWasZero = false;
  bool othersRunning = false;
};

uintptr_t Observe(uintptr_t out) {
  auto* seen = reinterpret_cast<Seen*>(out);
  seen->value = out;
  seen->errorAtStart = ErrorNumber();
  SetErrorNumber(77);
  auto* bytes = static_cast<unsigned char*>(ThreadContextBlock(3, 100));
  seen->block = bytes;
  seen->blockWasZero = bytes && std::all_of(bytes, bytes + 100, [](unsigned char b) { return b == 0; });
  seen->othersRunning = RuntimeOtherThreadsRunning();
  return 12345;  // not the exit code: threads of the runtime end with 1
}

TEST_F(RuntimeThreads, StartedThreadRunsRoutineWithValueAndExitsWithOne) {
  SetErrorNumber(5);
  Seen seen;
  ThreadRecord* record = ThreadStart(Observe, reinterpret_cast<uintptr_t>(&seen));
  ASSERT_NE(record, nullptr);
  EXPECT_NE(record->handle, nullptr);
  EXPECT_EQ(record->routine, &Observe);
  EXPECT_EQ(record->param, reinterpret_cast<uintptr_t>(&seen));
  uint32_t code = 0;
  JoinAndFree(record, &code);
  EXPECT_EQ(code, 1u);
  EXPECT_EQ(seen.value, reinterpret_cast<uintptr_t>(&seen));
  EXPECT_EQ(seen.errorAtStart, 0) << "each thread has its own error record";
  EXPECT_TRUE(seen.blockWasZero);
  EXPECT_TRUE(seen.othersRunning);
  EXPECT_EQ(ErrorNumber(), 5);
  EXPECT_NE(ThreadContextBlock(3, 100), seen.block);
}

TEST_F(RuntimeThreads, NullRoutineStartsNothing) {
  EXPECT_EQ(ThreadStart(nullptr, 1), nullptr);
  EXPECT_FALSE(RuntimeOtherThreadsRunning());
}

TEST_F(RuntimeThreads, ContextBlockIsZeroFilledKeptAndFreedPerSlot) {
  auto* first = static_cast<unsigned char*>(ThreadContextBlock(2, 48));
  ASSERT_NE(first, nullptr);
  for (int i = 0; i < 48; ++i) ASSERT_EQ(first[i], 0) << i;
  memset(first, 0xAB, 48);
  EXPECT_EQ(ThreadContextBlock(2, 48), first) << "one block per thread and slot";
  EXPECT_NE(ThreadContextBlock(1, 48), first);
  ThreadContextFree(2);
  ThreadContextFree(2);  // nothing left to free
  auto* again = static_cast<unsigned char*>(ThreadContextBlock(2, 48));
  ASSERT_NE(again, nullptr);
  for (int i = 0; i < 48; ++i) ASSERT_EQ(again[i], 0) << i;
}

TEST_F(RuntimeThreads, SlotsOutsideTheFiveGiveNothing) {
  EXPECT_EQ(ThreadContextBlock(-1, 8), nullptr);
  EXPECT_EQ(ThreadContextBlock(kThreadSlotCount, 8), nullptr);
  ThreadContextFree(-1);
  ThreadContextFree(kThreadSlotCount);
  EXPECT_NE(ThreadContextBlock(kDrawSlot, 0), nullptr) << "size 0 still gives a block";
}

TEST_F(RuntimeThreads, ErrorNumberLivesInTheSecondWordOfSlotZero) {
  EXPECT_EQ(ErrorNumber(), 0);
  EXPECT_EQ(SetErrorNumber(-17), -17);
  auto* record = static_cast<ErrorRecord*>(ThreadContextBlock(kErrorSlot, sizeof(ErrorRecord)));
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->words[1], -17);
  EXPECT_EQ(record->words[0], 0);
  record->words[1] = 21;
  EXPECT_EQ(ErrorNumber(), 21);
}

uintptr_t ReturnAtOnce(uintptr_t) { return 0; }

TEST_F(RuntimeThreads, OtherThreadsRunningCountsOnlyUnfinishedRoutines) {
  EXPECT_FALSE(RuntimeOtherThreadsRunning());
  ThreadRecord* quick = ThreadStart(ReturnAtOnce, 0);
  JoinAndFree(quick);
  EXPECT_FALSE(RuntimeOtherThreadsRunning());
}

uint32_t AskFromForeignThread(void* out) {
  *static_cast<bool*>(out) = RuntimeOtherThreadsRunning();
  return 0;
}

TEST_F(RuntimeThreads, ThreadThatDidNotStartTheRuntimeSeesOthersRunning) {
  bool answer = false;
  void* handle = os::ThreadCreate(AskFromForeignThread, &answer);
  ASSERT_NE(handle, nullptr);
  EXPECT_TRUE(os::ThreadJoin(handle, nullptr));
  os::ThreadClose(handle);
  EXPECT_TRUE(answer) << "the main thread is still running";
}

struct Unlocker {
  RuntimeMutex* mutex;
  static uintptr_t Run(uintptr_t self) {
    MutexUnlock(reinterpret_cast<Unlocker*>(self)->mutex);
    return 0;
  }
};

TEST_F(RuntimeThreads, MutexHasNoOwnerSoAnotherThreadMayUnlockIt) {
  RuntimeMutex* mutex = MutexCreate();
  ASSERT_NE(mutex, nullptr);
  ASSERT_NE(mutex->semaphore, nullptr);
  MutexLock(mutex);
  Unlocker unlocker{mutex};
  JoinAndFree(ThreadStart(Unlocker::Run, reinterpret_cast<uintptr_t>(&unlocker)));
  MutexLock(mutex);  // would block for ever if the unlock had not counted
  MutexUnlock(mutex);
  MutexUnlock(mutex);  // beyond the one token: refused, not a second token
  MutexLock(mutex);
  std::atomic<bool> entered{false};
  struct Second {
    RuntimeMutex* mutex;
    std::atomic<bool>* entered;
  } second{mutex, &entered};
  ThreadRecord* waiter = ThreadStart(
      [](uintptr_t p) -> uintptr_t {
        auto* s = reinterpret_cast<Second*>(p);
        MutexLock(s->mutex);
        s->entered->store(true);
        MutexUnlock(s->mutex);
        return 0;
      },
      reinterpret_cast<uintptr_t>(&second));
  os::SleepMilliseconds(30);
  EXPECT_FALSE(entered.load()) << "the mutex held one token only";
  MutexUnlock(mutex);
  JoinAndFree(waiter);
  EXPECT_TRUE(entered.load());
  MutexDestroy(mutex);
  // A null mutex is no lock at all: none of these may block or fault.
  MutexLock(nullptr);
  MutexLock(nullptr);
  MutexUnlock(nullptr);
  MutexDestroy(nullptr);
}

struct Shared {
  RuntimeMutex* mutex;
  int64_t counter = 0;
  std::atomic<int> mismatches{0};
};

struct Worker {
  Shared* shared;
  int32_t id;
};

uintptr_t Hammer(uintptr_t p) {
  Shared* shared = reinterpret_cast<Worker*>(p)->shared;
  int32_t mine = reinterpret_cast<Worker*>(p)->id * 100000;
  for (int i = 0; i < 2000; ++i) {
    MutexLock(shared->mutex);
    ++shared->counter;
    MutexUnlock(shared->mutex);

    SetErrorNumber(mine + i);
    StringDescriptor* lower = StrLower(StrRight(CommandText(-1), 2));
    if (Text(lower) != "/s") shared->mismatches.fetch_add(1);
    StrRelease(lower);
    if (ErrorNumber() != mine + i) shared->mismatches.fetch_add(1);
    auto* block = static_cast<int32_t*>(ThreadContextBlock(1, sizeof(int32_t)));
    if (!block || *block != i) shared->mismatches.fetch_add(1);
    if (block) *block = i + 1;
  }
  return 0;
}

TEST_F(RuntimeThreads, TwoThreadsUseStringsErrorNumbersSlotsAndMutexAtOnce) {
  Shared shared;
  shared.mutex = MutexCreate();
  Worker first{&shared, 1}, second{&shared, 2};
  ThreadRecord* a = ThreadStart(Hammer, reinterpret_cast<uintptr_t>(&first));
  ThreadRecord* b = ThreadStart(Hammer, reinterpret_cast<uintptr_t>(&second));
  JoinAndFree(a);
  JoinAndFree(b);
  EXPECT_EQ(shared.counter, 4000);
  EXPECT_EQ(shared.mismatches.load(), 0);
  MutexDestroy(shared.mutex);
}

}  // namespace

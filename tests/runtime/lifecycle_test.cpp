// Start and end of the runtime: the use counter, teardown while other
// threads still run, the end of the program from another thread, and the
// floating-point setting.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "runtime/os.h"
#include "runtime_fixture.h"

namespace {

using RuntimeLifecycle = RuntimeTest;

TEST_F(RuntimeLifecycle, UseCounterRunsTeardownOnlyAtTheLastShutdown) {
  RuntimeInit();  // second user
  SetErrorNumber(11);
  RuntimeShutdown();  // back to one user: nothing is torn down
  EXPECT_EQ(ErrorNumber(), 11);
  EXPECT_NE(ThreadContextBlock(1, 8), nullptr);

  RuntimeShutdown();  // last user: slots and blocks are gone
  EXPECT_EQ(ThreadContextBlock(1, 8), nullptr);
  EXPECT_EQ(ErrorNumber(), 0);
  EXPECT_EQ(SetErrorNumber(4), 4) << "still answers without its slot";
  EXPECT_EQ(ErrorNumber(), 0);

  RuntimeShutdown();  // one too many: must not stop the next start-up
  RuntimeInit();
  EXPECT_EQ(SetErrorNumber(6), 6);
  EXPECT_EQ(ErrorNumber(), 6);
  EXPECT_NE(ThreadContextBlock(1, 8), nullptr);
}

TEST_F(RuntimeLifecycle, InitClearsTheContextButStartRecordsArguments) {
  RuntimeStart(5, arguments_, 7);
  RuntimeHooks hooks = {};
  hooks.entries[3] = [] {};
  RuntimeSetHooks(&hooks);
  RuntimeShutdown();
  RuntimeInit();
  EXPECT_EQ(RuntimeArgumentCount(), 0);
  EXPECT_EQ(RuntimeArgumentVector(), nullptr);
  EXPECT_EQ(RuntimeCompatibility(), 0);
  EXPECT_EQ(RuntimeGetHooks().entries[3], nullptr);
  RuntimeStart(2, arguments_, 3);
  EXPECT_EQ(RuntimeArgumentCount(), 2);
  EXPECT_EQ(RuntimeArgumentVector(), arguments_);
  EXPECT_EQ(RuntimeCompatibility(), 3);
}

// A thread made by ThreadStart that waits for a go-ahead and then uses
// strings, its slots and its error number.
struct LateWorker {
  void* go = os::SemaphoreCreate(0, 1);
  void* waiting = os::SemaphoreCreate(0, 1);
  std::atomic<bool> sawOthersRunning{false};
  std::string lowered;
  int32_t errorNumber = 0;
  void* block = nullptr;

  static uintptr_t Run(uintptr_t self) {
    auto* w = reinterpret_cast<LateWorker*>(self);
    w->sawOthersRunning = RuntimeOtherThreadsRunning();
    os::SemaphoreRelease(w->waiting);
    os::SemaphoreWait(w->go);
    StringDescriptor* lower = StrLower(StrLeft(CommandText(0), 5));
    w->lowered = Text(lower);
    StrRelease(lower);
    SetErrorNumber(42);
    w->errorNumber = ErrorNumber();
    w->block = ThreadContextBlock(2, 16);
    return 0;
  }
  ~LateWorker() {
    os::SemaphoreClose(go);
    os::SemaphoreClose(waiting);
  }
};

TEST_F(RuntimeLifecycle, ShutdownWhileAThreadRunsKeepsLocksAndSlotsForIt) {
  char upper[8] = "SAVER";
  char* vector[2] = {upper, nullptr};
  RuntimeStart(1, vector, 0);
  LateWorker worker;
  EXPECT_FALSE(RuntimeOtherThreadsRunning());
  ThreadRecord* record = ThreadStart(LateWorker::Run, reinterpret_cast<uintptr_t>(&worker));
  ASSERT_NE(record, nullptr);
  os::SemaphoreWait(worker.waiting);
  EXPECT_TRUE(worker.sawOthersRunning) << "a started thread is not the main thread";
  EXPECT_TRUE(RuntimeOtherThreadsRunning());

  SetErrorNumber(3);
  RuntimeShutdown();
  // The main thread's own block went with the teardown, its slot did not.
  EXPECT_EQ(ErrorNumber(), 0);

  os::SemaphoreRelease(worker.go);
  JoinAndFree(record);
  EXPECT_EQ(worker.lowered, "saver");
  EXPECT_EQ(worker.errorNumber, 42);
  EXPECT_NE(worker.block, nullptr);
  EXPECT_FALSE(RuntimeOtherThreadsRunning()) << "the thread's routine has returned";

  RuntimeInit();  // takes the kept locks and slots over again
  RuntimeStart(2, arguments_, 0);
  EXPECT_EQ(SetErrorNumber(8), 8);
  EXPECT_EQ(ErrorNumber(), 8);
  EXPECT_EQ(StrLength(CommandText(-1), kDescriptorKind), 2);
}

struct ShutdownFromThread {
  void* done = os::SemaphoreCreate(0, 1);
  static uintptr_t Run(uintptr_t self) {
    auto* s = reinterpret_cast<ShutdownFromThread*>(self);
    SetErrorNumber(5);
    RuntimeShutdown();
    os::SemaphoreRelease(s->done);
    return 0;
  }
};

TEST_F(RuntimeLifecycle, ShutdownOnAnotherThreadLeavesTheMainThreadItsLocks) {
  ShutdownFromThread end;
  SetErrorNumber(9);
  ThreadRecord* record = ThreadStart(ShutdownFromThread::Run, reinterpret_cast<uintptr_t>(&end));
  ASSERT_NE(record, nullptr);
  // Keep using the string lock and the hooks lock while the other thread
  // tears the runtime down.
  for (int i = 0; i < 2000; ++i) {
    StrRelease(StrLower(CommandText(1)));
    RuntimeGetHooks();
    RuntimeSleep(-5);
  }
  os::SemaphoreWait(end.done);
  JoinAndFree(record);
  StringDescriptor* mode = StrLower(CommandText(1));
  EXPECT_EQ(Text(mode), "/s");
  StrRelease(mode);
  EXPECT_EQ(ErrorNumber(), 9) << "the main thread's block stays while it runs";
  os::SemaphoreClose(end.done);
  RuntimeInit();
}

// The saver's order at program end: the static teardown registered with
// atexit ends the runtime on whichever thread calls ProgramEnd, while the
// main thread goes on with its frame. The last handler holds the process
// open until the main thread has made progress after the teardown, and
// ends it with code 98 when that does not come within seconds.
std::atomic<uint32_t> mainThreadRounds{0};

void StaticTeardown() { RuntimeShutdown(); }

void LetTheMainThreadRunOn() {
  const uint32_t start = mainThreadRounds.load();
  const auto bound = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (mainThreadRounds.load() < start + 200) {
    if (std::chrono::steady_clock::now() > bound) {
      std::fputs("the main thread made no progress after the teardown\n", stderr);
      std::_Exit(98);
    }
    os::SleepMilliseconds(1);
  }
}

uintptr_t EndProgramSoon(uintptr_t code) {
  while (mainThreadRounds.load() < 100) os::SleepMilliseconds(1);
  ProgramEnd(static_cast<int32_t>(code));
}

[[noreturn]] void MainThreadBusyUntilEnd(int32_t code) {
  atexit(LetTheMainThreadRunOn);
  atexit(StaticTeardown);
  ThreadStart(EndProgramSoon, static_cast<uintptr_t>(code));
  for (;;) {
    StringDescriptor* mode = StrLower(StrLeft(CommandText(-1), 2));
    bool modeRight = StrCompare(mode, kDescriptorKind, "/s", 3) == 0;
    int32_t round = static_cast<int32_t>(mainThreadRounds.load()) + 1;
    SetErrorNumber(round);
    // Whatever the teardown did, this thread's runtime must still work.
    if (!modeRight || ErrorNumber() != round) std::_Exit(97);
    RuntimeSleep(0);
    mainThreadRounds.fetch_add(1);
  }
}

TEST_F(RuntimeLifecycle, ProgramEndOnAnotherThreadEndsTheProcessWithItsCode) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(MainThreadBusyUntilEnd(0), ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(MainThreadBusyUntilEnd(3), ::testing::ExitedWithCode(3), "");
}

#if defined(__i386__) || defined(__x86_64__)
uint16_t SetControlWord(uint16_t word) {
  __asm__ __volatile__("fldcw %0" : : "m"(word));
  return word;
}

uintptr_t ReportControlWord(uintptr_t out) {
  *reinterpret_cast<uint32_t*>(out) = os::FloatingPointControlWord();
  return 0;
}

TEST_F(RuntimeLifecycle, InitSetsRoundToNearestWithA64BitSignificand) {
  constexpr uint32_t kPrecisionAndRounding = 0x0F00;
  SetControlWord(0x0E7F);  // 53-bit significand, round toward zero
  ASSERT_EQ(os::FloatingPointControlWord() & kPrecisionAndRounding, 0x0E00u);
  RuntimeShutdown();
  RuntimeInit();
  EXPECT_EQ(os::FloatingPointControlWord() & kPrecisionAndRounding, 0x0300u);

  // Threads started by the runtime compute under the same setting.
  SetControlWord(0x0E7F);
  uint32_t threadWord = 0;
  ThreadRecord* record = ThreadStart(ReportControlWord, reinterpret_cast<uintptr_t>(&threadWord));
  JoinAndFree(record);
  EXPECT_EQ(threadWord & kPrecisionAndRounding, 0x0300u);
  SetControlWord(0x037F);
}
#endif

}  // namespace

// The OS layer beneath the runtime: thread slots per thread and their
// exhaustion, and the counting semaphore's limits.
#include <atomic>
#include <vector>

#include <gtest/gtest.h>

#include "runtime/os.h"
#include "runtime_fixture.h"

namespace {

struct SlotProbe {
  int32_t slot;
  void* before = reinterpret_cast<void*>(1);
  void* after = nullptr;
};

uint32_t ProbeSlot(void* p) {
  auto* probe = static_cast<SlotProbe*>(p);
  probe->before = os::TlsGet(probe->slot);
  os::TlsPut(probe->slot, probe);
  probe->after = os::TlsGet(probe->slot);
  return 7;
}

TEST(OsLayer, ThreadSlotsHoldOneValuePerThread) {
  int32_t a = os::TlsAllocate();
  int32_t b = os::TlsAllocate();
  ASSERT_GE(a, 0);
  ASSERT_GE(b, 0);
  EXPECT_NE(a, b);
  EXPECT_EQ(os::TlsGet(a), nullptr);
  int mine = 0;
  os::TlsPut(a, &mine);
  SlotProbe probe{a};
  void* thread = os::ThreadCreate(ProbeSlot, &probe);
  ASSERT_NE(thread, nullptr);
  uint32_t code = 0;
  EXPECT_TRUE(os::ThreadJoin(thread, &code));
  os::ThreadClose(thread);
  EXPECT_EQ(code, 7u);
  EXPECT_EQ(probe.before, nullptr) << "a new thread starts with an empty slot";
  EXPECT_EQ(probe.after, &probe);
  EXPECT_EQ(os::TlsGet(a), &mine);
  EXPECT_EQ(os::TlsGet(b), nullptr);
  os::TlsRelease(a);
  os::TlsRelease(b);
  EXPECT_EQ(os::TlsGet(-1), nullptr);
  os::TlsPut(-1, &mine);
  os::TlsRelease(-1);
}

TEST(OsLayer, ThreadSlotsRunOutWithMinusOneAndComeBack) {
  std::vector<int32_t> taken;
  for (int i = 0; i < 5000; ++i) {
    int32_t slot = os::TlsAllocate();
    if (slot < 0) break;
    taken.push_back(slot);
  }
  ASSERT_LT(taken.size(), 5000u) << "slots never ran out";
  EXPECT_EQ(os::TlsAllocate(), -1);
  // Every slot holds its own value, the ones past the first 64 included.
  std::vector<int> values(taken.size());
  for (size_t i = 0; i < taken.size(); ++i) os::TlsPut(taken[i], &values[i]);
  size_t wrong = 0;
  for (size_t i = 0; i < taken.size(); ++i) wrong += os::TlsGet(taken[i]) != &values[i];
  EXPECT_EQ(wrong, 0u) << "of " << taken.size() << " slots";
  for (int32_t slot : taken) os::TlsRelease(slot);
  int32_t again = os::TlsAllocate();
  EXPECT_GE(again, 0);
  os::TlsRelease(again);
}

TEST(OsLayer, ASlotAllocatedAnewIsEmptyWhereItsPredecessorWasSet) {
  std::vector<int32_t> slots;
  int mine = 0;
  for (int round = 0; round < 3; ++round) {
    const int32_t slot = os::TlsAllocate();
    ASSERT_GE(slot, 0);
    slots.push_back(slot);
    EXPECT_EQ(os::TlsGet(slot), nullptr) << "round " << round;
    os::TlsPut(slot, &mine);
    EXPECT_EQ(os::TlsGet(slot), &mine);
    os::TlsRelease(slot);
    EXPECT_EQ(os::TlsGet(slot), nullptr) << "a released slot holds nothing";
  }
  // The same number was handed out again, so the check above was about it.
  EXPECT_EQ(slots[1], slots[0]);
}

struct Waiter {
  void* semaphore;
  std::atomic<int> passed{0};
};

uint32_t WaitTwice(void* p) {
  auto* w = static_cast<Waiter*>(p);
  for (int i = 0; i < 2; ++i) {
    os::SemaphoreWait(w->semaphore);
    w->passed.fetch_add(1);
  }
  return 0;
}

TEST(OsLayer, SemaphoreCountsUpToItsMaximumOnly) {
  EXPECT_EQ(os::SemaphoreCreate(2, 1), nullptr);
  EXPECT_EQ(os::SemaphoreCreate(0, 0), nullptr);
  EXPECT_EQ(os::SemaphoreCreate(-1, 3), nullptr);
  void* semaphore = os::SemaphoreCreate(0, 2);
  ASSERT_NE(semaphore, nullptr);
  os::SemaphoreRelease(semaphore);
  os::SemaphoreRelease(semaphore);
  os::SemaphoreRelease(semaphore);  // beyond the maximum: refused
  os::SemaphoreWait(semaphore);
  Waiter waiter{semaphore};
  void* thread = os::ThreadCreate(WaitTwice, &waiter);
  ASSERT_NE(thread, nullptr);
  for (int i = 0; i < 10000 && waiter.passed.load() < 1; ++i) os::SleepMilliseconds(1);
  os::SleepMilliseconds(30);
  EXPECT_EQ(waiter.passed.load(), 1) << "only two tokens were ever held";
  os::SemaphoreRelease(semaphore);
  EXPECT_TRUE(os::ThreadJoin(thread, nullptr));
  os::ThreadClose(thread);
  EXPECT_EQ(waiter.passed.load(), 2);
  os::SemaphoreClose(semaphore);
  os::SemaphoreWait(nullptr);
  os::SemaphoreRelease(nullptr);
  os::SemaphoreClose(nullptr);
}

TEST(OsLayer, PerformanceCounterRunsForwardAtItsFrequency) {
  int64_t frequency = 0;
  ASSERT_TRUE(os::PerformanceFrequency(&frequency));
  EXPECT_GT(frequency, 0);
  EXPECT_FALSE(os::PerformanceFrequency(nullptr));
  ExpectPaceOfTheSteadyClock([frequency] { return double(os::PerformanceCounter()) / double(frequency); });
}

}  // namespace

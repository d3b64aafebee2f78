// Each test gets a runtime of its own: initialised, started with a known
// command line and torn down again, and leaves no temporary behind.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "runtime/os.h"
#include "runtime/runtime.h"
#include "runtime/runtime_testing.h"
#include "runtime/strings.h"

class RuntimeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RuntimeInit();
    RuntimeStart(2, arguments_, 0);
  }
  void TearDown() override {
    EXPECT_EQ(StrTempInUse(), 0) << "a temporary string was left in use";
    RuntimeSetSleepServicesForTesting(nullptr);
    RuntimeSetStringAllocatorForTesting(nullptr);
    RuntimeSetTimerSourcesForTesting(nullptr);
    RuntimeShutdown();
  }

  char program_[16] = "saver.scr";
  char mode_[8] = "/s";
  char* arguments_[3] = {program_, mode_, nullptr};
};

// Text of a descriptor, for comparisons in tests.
inline std::string Text(const StringDescriptor* s) {
  return s->data ? std::string(s->data, StrLen(s)) : std::string();
}

// Waits for a thread made by ThreadStart and frees its record.
inline void JoinAndFree(ThreadRecord* record, uint32_t* exitCode = nullptr) {
  ASSERT_NE(record, nullptr);
  uint32_t code = 0;
  EXPECT_TRUE(os::ThreadJoin(record->handle, &code));
  os::ThreadClose(record->handle);
  std::free(record);
  if (exitCode) *exitCode = code;
}

// Checks that a clock read in seconds keeps pace with the standard steady
// clock over 50 ms: each of its two readings lies between two of the other.
template <typename ReadSeconds>
void ExpectPaceOfTheSteadyClock(ReadSeconds readSeconds) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point before = Clock::now();
  const double first = readSeconds();
  const Clock::time_point start = Clock::now();
  while (Clock::now() - start < std::chrono::milliseconds(50)) os::SleepMilliseconds(1);
  const Clock::time_point end = Clock::now();
  const double counted = readSeconds() - first;
  const Clock::time_point after = Clock::now();
  EXPECT_GE(counted, 0.9 * std::chrono::duration<double>(end - start).count() - 0.002);
  EXPECT_LE(counted, 1.1 * std::chrono::duration<double>(after - before).count() + 0.002);
}

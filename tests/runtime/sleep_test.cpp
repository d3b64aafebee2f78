// Sleeping, checked by what it asks of the platform: which sleeps, and
// when it looks at the keyboard. Nothing here is timed.
#include <string>
#include <vector>

#include "runtime_fixture.h"

namespace {

std::vector<std::string> calls;
int keyArrivesOnTest = 0;  // 0: never
int keyTests = 0;

void RecordSleep(uint32_t ms) { calls.push_back("sleep " + std::to_string(ms)); }
bool RecordKeyTest() {
  calls.push_back("key?");
  return ++keyTests == keyArrivesOnTest;
}
void RecordHook(int32_t ms) { calls.push_back("hook " + std::to_string(ms)); }

class RuntimeSleeping : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    calls.clear();
    keyTests = 0;
    keyArrivesOnTest = 0;
    RuntimeSleepServices services = {RecordSleep, RecordKeyTest};
    RuntimeSetSleepServicesForTesting(&services);
  }
  std::vector<std::string> Sleep(int32_t ms, int keyOn = 0) {
    calls.clear();
    keyTests = 0;
    keyArrivesOnTest = keyOn;
    RuntimeSleep(ms);
    return calls;
  }
  using Calls = std::vector<std::string>;
};

TEST_F(RuntimeSleeping, ShortSleepsNeverLookAtTheKeyboard) {
  EXPECT_EQ(Sleep(1), (Calls{"sleep 1"}));
  EXPECT_EQ(Sleep(0), (Calls{"sleep 0"}));
  EXPECT_EQ(Sleep(99), (Calls{"sleep 99"}));
}

TEST_F(RuntimeSleeping, LongSleepsWatchTheKeyboardEveryFiftyMilliseconds) {
  EXPECT_EQ(Sleep(150), (Calls{"key?", "sleep 50", "key?", "sleep 50", "sleep 50"}));
  EXPECT_EQ(Sleep(100), (Calls{"key?", "sleep 50", "sleep 50"}));
  EXPECT_EQ(Sleep(123), (Calls{"key?", "sleep 50", "key?", "sleep 50", "sleep 23"}));
}

TEST_F(RuntimeSleeping, KeyEndsALongSleepEarly) {
  EXPECT_EQ(Sleep(150, 1), (Calls{"key?"}));
  EXPECT_EQ(Sleep(150, 2), (Calls{"key?", "sleep 50", "key?"}));
}

TEST_F(RuntimeSleeping, MinusOneSleepsUntilAKeyArrives) {
  EXPECT_EQ(Sleep(-1, 3), (Calls{"key?", "sleep 50", "key?", "sleep 50", "key?"}));
  EXPECT_EQ(Sleep(-1, 1), (Calls{"key?"}));
}

TEST_F(RuntimeSleeping, OtherNegativeValuesReturnAtOnce) {
  EXPECT_TRUE(Sleep(-5).empty());
  EXPECT_TRUE(Sleep(-2).empty());
  EXPECT_TRUE(Sleep(INT32_MIN).empty());
}

TEST_F(RuntimeSleeping, InstalledHookTakesEverySleepInstead) {
  RuntimeHooks hooks = {};
  hooks.entries[kSleepHookIndex] = reinterpret_cast<RuntimeHook>(RecordHook);
  RuntimeSetHooks(&hooks);
  EXPECT_EQ(Sleep(1), (Calls{"hook 1"}));
  EXPECT_EQ(Sleep(0), (Calls{"hook 0"}));
  EXPECT_EQ(Sleep(-1), (Calls{"hook -1"}));
  EXPECT_EQ(Sleep(150), (Calls{"hook 150"}));

  // Only the 24th entry is the sleep hook.
  RuntimeHooks others = {};
  for (int i = 0; i < kRuntimeHookCount; ++i)
    if (i != kSleepHookIndex) others.entries[i] = reinterpret_cast<RuntimeHook>(RecordHook);
  RuntimeSetHooks(&others);
  EXPECT_EQ(Sleep(1), (Calls{"sleep 1"}));

  RuntimeSetHooks(&hooks);
  RuntimeSetHooks(nullptr);
  for (int i = 0; i < kRuntimeHookCount; ++i) EXPECT_EQ(RuntimeGetHooks().entries[i], nullptr) << i;
  EXPECT_EQ(Sleep(2), (Calls{"sleep 2"}));
}

}  // namespace

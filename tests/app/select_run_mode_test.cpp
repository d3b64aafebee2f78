// SelectRunMode with the platform side replaced by recording stand-ins: what
// each mode does, in which order, and that configure mode ends the program.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "app/run_mode.h"
#include "app/saver_platform.h"
#include "app/saver_state.h"
#include "tests/app/command_line.h"

namespace {

struct RuntimeUp {
  RuntimeUp() { RuntimeInit(); }
} runtimeUp;

std::atomic<int> aboutBoxes{0};
std::atomic<int> snapshots{0};
std::atomic<int> windowThreads{0};
std::atomic<int32_t> previewAtSnapshot{-1};
std::atomic<int32_t> previewAtThread{-1};
std::atomic<int> snapshotsBeforeThread{-1};
std::atomic<uintptr_t> windowThreadValue{99};

void Reset() {
  SaverStateClear();
  aboutBoxes = 0;
  snapshots = 0;
  windowThreads = 0;
  previewAtSnapshot = -1;
  previewAtThread = -1;
  snapshotsBeforeThread = -1;
  windowThreadValue = 99;
}

bool WaitForWindowThread() {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (windowThreads.load() == 0) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace

// The saver keeps neither the window thread's record nor its handle and never
// waits for it: the process end reclaims both. Tell the sanitizers so.
extern "C" const char* __lsan_default_suppressions() { return "leak:ThreadStart\n"; }
extern "C" const char* __tsan_default_suppressions() { return "thread:SelectRunMode\n"; }

void ShowAboutBox() {
  ++aboutBoxes;
  std::fprintf(stderr, "about box, preview %d, snapshots %d", saverState.preview, snapshots.load());
}

bool SnapshotDesktop() {
  previewAtSnapshot = saverState.preview;
  ++snapshots;
  return true;
}

uintptr_t WindowThread(uintptr_t value) {
  previewAtThread = saverState.preview;
  snapshotsBeforeThread = snapshots.load();
  windowThreadValue = value;
  ++windowThreads;
  return 0;
}

namespace {

TEST(SelectRunModeDeathTest, ConfigureShowsTheAboutBoxAloneAndEndsWithZero) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (const char* configure : {"/c", "/C:1234", "/cx"}) {
    Reset();
    CommandLine line({configure});
    EXPECT_EXIT(SelectRunMode(), ::testing::ExitedWithCode(0),
                "^about box, preview 0, snapshots 0$")
        << configure;
  }
}

TEST(SelectRunMode, PreviewSetsTheFlagBeforeTheSnapshotAndTheWindowThread) {
  Reset();
  CommandLine line({"/P", "1234"});
  SelectRunMode();
  EXPECT_EQ(saverState.preview, 1);
  EXPECT_EQ(aboutBoxes.load(), 0);
  EXPECT_EQ(snapshots.load(), 1);
  EXPECT_EQ(previewAtSnapshot.load(), 1);
  ASSERT_TRUE(WaitForWindowThread());
  EXPECT_EQ(windowThreads.load(), 1);
  EXPECT_EQ(previewAtThread.load(), 1);
  EXPECT_EQ(snapshotsBeforeThread.load(), 1);
  EXPECT_EQ(windowThreadValue.load(), 0u);
}

TEST(SelectRunMode, FullScreenLeavesTheFlagClearAndStartsTheWindowThreadAfterTheSnapshot) {
  for (std::vector<std::string> arguments :
       {std::vector<std::string>{"/s"}, std::vector<std::string>{}, {"-c"}, {"/x", "5"}}) {
    Reset();
    CommandLine line(arguments);
    SelectRunMode();
    EXPECT_EQ(saverState.preview, 0);
    EXPECT_EQ(aboutBoxes.load(), 0);
    EXPECT_EQ(snapshots.load(), 1);
    ASSERT_TRUE(WaitForWindowThread());
    EXPECT_EQ(windowThreads.load(), 1);
    EXPECT_EQ(previewAtThread.load(), 0);
    EXPECT_EQ(snapshotsBeforeThread.load(), 1);
  }
}

}  // namespace

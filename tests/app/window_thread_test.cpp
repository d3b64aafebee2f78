// The window thread where it must not hang: a preview with no host to live
// in, and a window that cannot be created, end the thread at once with the
// quit flag raised, so the animation ends too.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "app/saver_platform.h"
#include "app/saver_state.h"
#include "tests/app/command_line.h"

namespace {

struct RuntimeUp {
  RuntimeUp() { RuntimeInit(); }
} runtimeUp;

// WindowThread on a thread of its own; true when it returned within the bound.
bool WindowThreadEnds(std::chrono::seconds bound) {
  auto done = std::make_shared<std::atomic<bool>>(false);
  std::thread thread([done] {
    WindowThread(0);
    done->store(true);
  });
  auto deadline = std::chrono::steady_clock::now() + bound;
  while (!done->load() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (!done->load()) {
    thread.detach();  // stuck in its message loop; the process end takes it
    return false;
  }
  thread.join();
  return true;
}

class WindowThreadTest : public ::testing::Test {
 protected:
  void SetUp() override { SaverStateClear(); }
  void TearDown() override {
    // The program registers its class once; each case here registers anew.
    UnregisterClassA("SCREENSAVERCLASS", GetModuleHandleA(nullptr));
    StrDelete(&saverState.className);
  }
};

TEST_F(WindowThreadTest, APreviewWithoutAHostWindowEndsAndRaisesTheQuitFlag) {
  const std::vector<std::vector<std::string>> lines = {
      {"/p"}, {"/p", "garbage"}, {"/p:"}, {"/p", "0"}, {"/p", "2147483000"}, {"/p", "-7"}};
  for (const auto& arguments : lines) {
    SetUp();
    CommandLine line(arguments);
    saverState.preview = 1;
    ASSERT_TRUE(WindowThreadEnds(std::chrono::seconds(60))) << arguments.back();
    EXPECT_EQ(SaverQuitRaised(), 1) << arguments.back();
    EXPECT_EQ(saverState.window, nullptr) << arguments.back();
    EXPECT_STREQ(saverState.className.data, "SCREENSAVERCLASS");
    TearDown();
  }
}

TEST_F(WindowThreadTest, AFullScreenWindowThatCannotBeCreatedEndsAndRaisesTheQuitFlag) {
  // The number is far outside the handle range: the owner is no window, and
  // the popup cannot be made.
  CommandLine line({"/s", "99999999999"});
  ASSERT_TRUE(WindowThreadEnds(std::chrono::seconds(60)));
  EXPECT_EQ(SaverQuitRaised(), 1);
  EXPECT_EQ(saverState.window, nullptr);
  // Widened with its sign on the 64-bit build, as Windows widens handles.
  EXPECT_EQ(reinterpret_cast<intptr_t>(saverState.parentWindow), intptr_t{INT32_MIN});
}

}  // namespace

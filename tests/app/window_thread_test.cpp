// The window thread whatever the command line names: a preview with no host
// to live in ends the thread at once with the quit flag raised; a
// full-screen window is shown, ended by input, and owned by the window the
// command line names only when that window can own it.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "app/saver_platform.h"
#include "app/saver_state.h"
#include "tests/app/command_line.h"

namespace {

struct RuntimeUp {
  RuntimeUp() { RuntimeInit(); }
} runtimeUp;

using Clock = std::chrono::steady_clock;
constexpr std::chrono::seconds kBound(60);  // only a failure waits this long

// The calling thread's messages are handled while it waits: the windows a
// test makes belong to it.
template <typename Condition>
bool WaitFor(Condition condition) {
  const auto deadline = Clock::now() + kBound;
  while (!condition()) {
    if (Clock::now() >= deadline) return false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  return true;
}

// WindowThread on a thread of its own.
class WindowThreadRun {
 public:
  WindowThreadRun() : done_(std::make_shared<std::atomic<bool>>(false)) {
    auto done = done_;
    thread_ = std::thread([done] {
      WindowThread(0);
      done->store(true);
    });
  }
  ~WindowThreadRun() {
    if (!done_->load()) {
      thread_.detach();  // stuck in its message loop; the process end takes it
    } else {
      thread_.join();
    }
  }
  bool Ends() {
    return WaitFor([this] { return done_->load(); });
  }
  // The saver's window once it is shown, or null.
  HWND ShownWindow() {
    HWND window = nullptr;
    WaitFor([&] {
      window = static_cast<HWND>(__atomic_load_n(&saverState.window, __ATOMIC_ACQUIRE));
      return (window && IsWindowVisible(window)) || done_->load();
    });
    return window && IsWindowVisible(window) ? window : nullptr;
  }

 private:
  std::shared_ptr<std::atomic<bool>> done_;
  std::thread thread_;
};

std::string Number(HWND window) {
  return std::to_string(reinterpret_cast<intptr_t>(window));
}

// A message-only window: a real window that is never shown.
HWND MakeMessageOnlyWindow() {
  return CreateWindowExA(0, "STATIC", "message only", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
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

TEST_F(WindowThreadTest, APreviewWithoutAHostToBeShownInEndsAndRaisesTheQuitFlag) {
  HWND messageOnly = MakeMessageOnlyWindow();
  ASSERT_NE(messageOnly, nullptr);
  // The platform's reserved parents: HWND_TOPMOST, HWND_NOTOPMOST,
  // HWND_MESSAGE, HWND_BROADCAST and HWND_BOTTOM; then the desktop (no input
  // ends a preview, and nothing destroys the desktop) and a window never shown.
  const std::vector<std::vector<std::string>> lines = {
      {"/p"}, {"/p", "garbage"}, {"/p:"}, {"/p", "0"}, {"/p", "2147483000"}, {"/p", "-7"},
      {"/p", "-1"}, {"/p", "-2"}, {"/p", "-3"}, {"/p", "65535"}, {"/p", "1"},
      {"/p", Number(GetDesktopWindow())}, {"/p", Number(messageOnly)}};
  for (const auto& arguments : lines) {
    SetUp();
    CommandLine line(arguments);
    saverState.preview = 1;
    WindowThreadRun run;
    ASSERT_TRUE(run.Ends()) << arguments.back();
    EXPECT_EQ(SaverQuitRaised(), 1) << arguments.back();
    EXPECT_EQ(saverState.window, nullptr) << arguments.back();
    EXPECT_STREQ(saverState.className.data, "SCREENSAVERCLASS");
    TearDown();
  }
  DestroyWindow(messageOnly);
}

// Shows the full-screen window for the command line, checks its owner, then
// ends it with a key as a user would.
void RunFullScreen(const std::vector<std::string>& arguments, HWND expectedOwner) {
  SaverStateClear();
  CommandLine line(arguments);
  WindowThreadRun run;
  HWND window = run.ShownWindow();
  ASSERT_NE(window, nullptr) << "no full-screen window is shown";
  EXPECT_EQ(GetAncestor(window, GA_PARENT), GetDesktopWindow());
  EXPECT_EQ(GetWindow(window, GW_OWNER), expectedOwner);
  PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
  ASSERT_TRUE(run.Ends()) << "a key did not end the saver";
  EXPECT_EQ(SaverQuitRaised(), 1);
}

TEST_F(WindowThreadTest, AFullScreenOwnerThatCannotOwnAWindowIsLeftOut) {
  HWND messageOnly = MakeMessageOnlyWindow();
  ASSERT_NE(messageOnly, nullptr);
  // Each would have made a window nobody sees and no input reaches, or none.
  for (const std::string& owner : {std::string("99999999999"), std::string("-1"),
                                   std::string("-2"), std::string("-3"), std::string("65535"),
                                   std::string("1"), Number(messageOnly)}) {
    SCOPED_TRACE("/s " + owner);
    RunFullScreen({"/s", owner}, nullptr);
    TearDown();
  }
  DestroyWindow(messageOnly);
}

TEST_F(WindowThreadTest, AFullScreenWindowIsOwnedByTheWindowItsCommandLineNames) {
  HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 40, 30, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(owner, nullptr);
  RunFullScreen({"/s", Number(owner)}, owner);
  TearDown();
  RunFullScreen({"/s"}, nullptr);
  DestroyWindow(owner);
}

}  // namespace

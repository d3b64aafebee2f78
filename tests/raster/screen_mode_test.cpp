// The mode set: validation, the mode record, the cleared frame buffer, the
// runtime hooks and the graphics sleep, allocation failures, and the
// teardown at program end.
#include <vector>

#include "raster/allocation.h"
#include "raster/graphics_hooks.h"
#include "raster_fixture.h"

namespace {

using ScreenModeTest = RasterTest;

TEST_F(ScreenModeTest, SetsA32BitModeWithPackedRowsClearedToOpaqueBlack) {
  SetMode(37, 11);
  const ScreenMode* mode = CurrentScreenMode();
  EXPECT_EQ(mode->modeNumber, -1);
  EXPECT_EQ(mode->width, 37);
  EXPECT_EQ(mode->height, 11);
  EXPECT_EQ(mode->depth, 32);
  EXPECT_EQ(mode->bytesPerPixel, 4);
  EXPECT_EQ(mode->pitch, 4 * 37);
  EXPECT_EQ(mode->colourMask, 0xFFFFFFFFu);
  EXPECT_EQ(mode->pageCount, 1);
  EXPECT_EQ(mode->frameBuffer, mode->pages[0]);
  EXPECT_EQ(mode->visiblePage, 0);
  ASSERT_NE(mode->driver, nullptr);
  EXPECT_STREQ(mode->driver->name, "Null");
  EXPECT_EQ(ModeFlags(mode) & (kLockHeld | kAutoLock | kAlphaPrimitives), 0u);
  for (int32_t y = 0; y < 11; ++y) {
    for (int32_t x = 0; x < 37; ++x) ASSERT_EQ(ScreenPixel(x, y), 0xFF000000u) << x << "," << y;
  }
  EXPECT_EQ(ErrorNumber(), 0);
}

TEST_F(ScreenModeTest, DepthsAreNormalisedAndTheirMasksFollow) {
  struct Case {
    int32_t requested, depth, bytesPerPixel;
    uint32_t mask;
  };
  for (const Case& c : {Case{24, 32, 4, 0xFFFFFFFFu}, Case{15, 16, 2, 0xFFFF},
                        Case{16, 16, 2, 0xFFFF}, Case{8, 8, 1, 0xFF}, Case{4, 4, 1, 0xF},
                        Case{1, 1, 1, 0x1}}) {
    SetMode(10, 3, c.requested);
    const ScreenMode* mode = CurrentScreenMode();
    EXPECT_EQ(mode->depth, c.depth) << c.requested;
    EXPECT_EQ(mode->bytesPerPixel, c.bytesPerPixel) << c.requested;
    EXPECT_EQ(mode->pitch, 10 * c.bytesPerPixel) << c.requested;
    EXPECT_EQ(mode->colourMask, c.mask) << c.requested;
  }
}

TEST_F(ScreenModeTest, ContextColoursFollowTheDepth) {
  SetMode(4, 4, 8);
  DrawContext* context = GetDrawContext();
  EXPECT_EQ(context->foreground, 15u);
  EXPECT_EQ(context->background, 0u);
  SetMode(4, 4, 16);
  context = GetDrawContext();
  EXPECT_EQ(context->foreground, 0xFFFFu);
  EXPECT_EQ(context->background, 0u);
  SetMode(4, 4, 32);
  context = GetDrawContext();
  EXPECT_EQ(context->foreground, 0xFFFFFFFFu);
  EXPECT_EQ(context->background, 0xFF000000u);
}

TEST_F(ScreenModeTest, InvalidRequestsSetErrorOneAndKeepTheCurrentMode) {
  SetMode(20, 10);
  ScreenMode* before = CurrentScreenMode();
  const int32_t id = before->id;
  struct Request {
    int32_t width, height, depth;
  };
  for (const Request& r : {Request{0, 10, 32}, Request{20, -1, 32}, Request{20, 10, 12},
                           Request{20, 10, 0}, Request{20, 10, 33}, Request{-5, -5, 24},
                           Request{65536, 10, 32}, Request{20, 70000, 32}}) {
    SetErrorNumber(0);
    SetScreenMode(r.width, r.height, r.depth, 1, -1, 0);
    EXPECT_EQ(ErrorNumber(), 1) << r.width << "x" << r.height << "x" << r.depth;
    EXPECT_EQ(CurrentScreenMode(), before);
    EXPECT_EQ(CurrentScreenMode()->id, id);
  }
}

TEST_F(ScreenModeTest, PagesThatA32BitMachineCannotHoldAreRefusedUnwrapped) {
  constexpr uint64_t k32BitLargestBlock = 0x7FFFFFFF;
  // 32768 x 32768 at 32 bits is 2^32 bytes: 0 in a 32-bit size.
  EXPECT_EQ(ModePageBytes(32768, 32768, 32, k32BitLargestBlock), 0u);
  EXPECT_EQ(ModePageBytes(32768, 32768, 32, UINT64_MAX), uint64_t(1) << 32);
  EXPECT_EQ(ModePageBytes(65535, 65535, 24, k32BitLargestBlock), 0u);
  EXPECT_EQ(ModePageBytes(65535, 16385, 16, k32BitLargestBlock), 0u);
  EXPECT_EQ(ModePageBytes(65535, 16384, 16, k32BitLargestBlock), 65535u * 2 * 16384);
  EXPECT_EQ(ModePageBytes(46341, 46341, 8, k32BitLargestBlock), 0u);
  EXPECT_EQ(ModePageBytes(46340, 46340, 8, k32BitLargestBlock), 46340u * 46340);
  EXPECT_EQ(ModePageBytes(1440, 900, 32, k32BitLargestBlock), 1440u * 4 * 900);
}

TEST_F(ScreenModeTest, APageA32BitMachineCannotHoldLeavesTheModeAsItWas) {
  if (sizeof(void*) > 4) GTEST_SKIP() << "a 64-bit build can hold a 4 GiB page";
  SetMode(20, 10);
  ScreenMode* before = CurrentScreenMode();
  SetScreenMode(32768, 32768, 32, 1, -1, 0);
  EXPECT_EQ(ErrorNumber(), 1);
  EXPECT_EQ(CurrentScreenMode(), before);
}

TEST_F(ScreenModeTest, PageCountBelowOneGivesOnePageAndMorePagesAreAllCleared) {
  SetScreenMode(8, 2, 32, 0, -1, 0);
  ASSERT_NE(CurrentScreenMode(), nullptr);
  EXPECT_EQ(CurrentScreenMode()->pageCount, 1);
  SetScreenMode(8, 2, 32, -3, -1, 0);
  EXPECT_EQ(CurrentScreenMode()->pageCount, 1);
  SetScreenMode(8, 2, 32, 3, -1, 0);
  const ScreenMode* mode = CurrentScreenMode();
  ASSERT_EQ(mode->pageCount, 3);
  for (int32_t page = 0; page < 3; ++page) {
    for (int32_t i = 0; i < 16; ++i) {
      uint32_t value;
      std::memcpy(&value, mode->pages[page] + 4 * i, 4);
      ASSERT_EQ(value, 0xFF000000u) << "page " << page;
    }
  }
}

TEST_F(ScreenModeTest, EachModeSetTakesTheNextIdAndReplacesTheOldMode) {
  SetMode(5, 5);
  const int32_t first = CurrentScreenMode()->id;
  SetMode(6, 4);
  EXPECT_EQ(CurrentScreenMode()->id, first + 1);
  EXPECT_EQ(CurrentScreenMode()->width, 6);
  // A context made under the old mode is re-initialised for the new one.
  DrawContext* context = GetDrawContext();
  EXPECT_EQ(context->modeId, first + 1);
  EXPECT_EQ(context->viewWidth, 6);
  EXPECT_EQ(context->viewHeight, 4);
  EXPECT_EQ(context->alphaRoutines, nullptr);
}

TEST_F(ScreenModeTest, WindowDriversCannotAttachSoOtherFlagsFailWithNoModeLeft) {
  SetMode(5, 5);
  SetScreenMode(5, 5, 32, 1, 0, 60);
  EXPECT_EQ(ErrorNumber(), 1);
  EXPECT_EQ(CurrentScreenMode(), nullptr);
  EXPECT_EQ(RuntimeGetHooks().entries[kSleepHookIndex], nullptr);
}

TEST_F(ScreenModeTest, ModeSetInstallsAllHooksAndProgramEndClearsThem) {
  SetMode(4, 4);
  RuntimeHooks hooks = RuntimeGetHooks();
  for (int i = 0; i < kRuntimeHookCount; ++i) EXPECT_NE(hooks.entries[i], nullptr) << i;
  EXPECT_EQ(reinterpret_cast<SleepHook>(hooks.entries[kSleepHookIndex]), &GraphicsSleep);

  RasterProgramEnd(false);
  EXPECT_EQ(CurrentScreenMode(), nullptr);
  hooks = RuntimeGetHooks();
  for (int i = 0; i < kRuntimeHookCount; ++i) EXPECT_EQ(hooks.entries[i], nullptr) << i;
  // Calls that need a mode now return at once.
  EXPECT_EQ(ScreenPointer(), nullptr);
  ScreenLock();
  ScreenUnlock(-1, -1);
}

TEST_F(ScreenModeTest, ProgramEndWithOtherThreadsRunningLeavesTheModeMemoryAlone) {
  SetMode(16, 8);
  ScreenMode* mode = CurrentScreenMode();
  uint8_t* frame = mode->frameBuffer;
  RasterProgramEnd(true);
  // The hooks are gone, but the mode and its pages stay usable for a thread
  // that is still drawing.
  EXPECT_EQ(RuntimeGetHooks().entries[kSleepHookIndex], nullptr);
  ASSERT_EQ(CurrentScreenMode(), mode);
  EXPECT_EQ(mode->frameBuffer, frame);
  PixelSet(nullptr, 3, 2, 0xFF123456u, 4, 0);
  EXPECT_EQ(ScreenPixel(3, 2), 0xFF123456u);
  EXPECT_EQ(ScreenPointer(), frame);
}

// Every allocation of the mode set can fail; each failure is orderly: error
// number 1, no mode, no hooks, nothing leaked (the leak checker watches).
TEST_F(ScreenModeTest, AllocationFailuresLeaveNoModeAndErrorOne) {
  int32_t allowed = 0;
  for (; allowed < 100; ++allowed) {
    DropScreenMode();
    SetErrorNumber(0);
    RasterFailAllocationsAfter(allowed);
    SetScreenMode(32, 16, 32, 2, -1, 0);
    RasterFailAllocationsAfter(-1);
    if (CurrentScreenMode()) break;
    EXPECT_EQ(ErrorNumber(), 1) << "after " << allowed;
    EXPECT_EQ(RuntimeGetHooks().entries[kSleepHookIndex], nullptr) << "after " << allowed;
  }
  ASSERT_LT(allowed, 100);
  EXPECT_GT(allowed, 5);  // the record, page array, pages and tables come one by one
  EXPECT_EQ(ErrorNumber(), 0);
  EXPECT_EQ(ScreenPixel(31, 15), 0xFF000000u);
}

// ---- the graphics sleep ------------------------------------------------------

std::vector<uint32_t> g_waits;
int g_keyAfterWaits = -1;  // a key arrives after this many waits

void RecordWait(uint32_t milliseconds) {
  g_waits.push_back(milliseconds);
  if (static_cast<int>(g_waits.size()) == g_keyAfterWaits) RasterPostKey();
}

class GraphicsSleepTest : public RasterTest {
 protected:
  void SetUp() override {
    RasterTest::SetUp();
    g_waits.clear();
    g_keyAfterWaits = -1;
    RasterTakeKey();
    RasterSetWaitRoutine(RecordWait);
  }
  void TearDown() override {
    RasterSetWaitRoutine(nullptr);
    RasterTakeKey();
    RasterTest::TearDown();
  }
};

TEST_F(GraphicsSleepTest, ShortSleepsWaitOnceWithoutLookingAtKeysAndZeroDoesNotWait) {
  RasterPostKey();
  GraphicsSleep(1);
  GraphicsSleep(99);
  GraphicsSleep(0);
  GraphicsSleep(-5);
  EXPECT_EQ(g_waits, (std::vector<uint32_t>{1, 99}));
  EXPECT_TRUE(RasterTakeKey());  // the key was left for someone else
}

TEST_F(GraphicsSleepTest, LongSleepsWaitInFiftyMillisecondStepsThenTheRest) {
  GraphicsSleep(150);
  EXPECT_EQ(g_waits, (std::vector<uint32_t>{50, 50, 50}));
  g_waits.clear();
  GraphicsSleep(120);
  EXPECT_EQ(g_waits, (std::vector<uint32_t>{50, 50, 20}));
  g_waits.clear();
  GraphicsSleep(100);
  EXPECT_EQ(g_waits, (std::vector<uint32_t>{50, 50}));
}

TEST_F(GraphicsSleepTest, AKeyEndsALongSleepAndIsConsumed) {
  g_keyAfterWaits = 2;
  GraphicsSleep(400);
  EXPECT_EQ(g_waits, (std::vector<uint32_t>{50, 50}));
  EXPECT_FALSE(RasterTakeKey());
}

TEST_F(GraphicsSleepTest, SleepUntilKeyWaitsForTheKey) {
  g_keyAfterWaits = 3;
  GraphicsSleep(-1);
  EXPECT_EQ(g_waits, (std::vector<uint32_t>{50, 50, 50}));
  g_waits.clear();
  RasterPostKey();
  GraphicsSleep(-1);
  EXPECT_TRUE(g_waits.empty());
}

TEST_F(GraphicsSleepTest, RuntimeSleepGoesThroughTheHookWhileAModeIsSet) {
  SetMode(4, 4);
  RuntimeSleep(0);  // the hook does not sleep at all for 0
  RuntimeSleep(7);
  EXPECT_EQ(g_waits, (std::vector<uint32_t>{7}));
}

}  // namespace

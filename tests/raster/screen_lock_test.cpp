// The screen lock bits, dirty rows, the drawing context's target selection
// and the frame-buffer pointer.
#include <memory>
#include <thread>

#include "raster_fixture.h"

namespace {

int g_lockCalls = 0;
int g_unlockCalls = 0;
void CountLock(ScreenMode*) { ++g_lockCalls; }
void CountUnlock(ScreenMode*) { ++g_unlockCalls; }
const ScreenDriver kCountingDriver = {"Counting", nullptr, nullptr, CountLock, CountUnlock,
                                      nullptr};

// Run with a driver that counts its hook calls, whose lock bits change by
// read-modify-write, and with the off-screen driver, which has no hooks and
// whose lock bits change by plain stores. The bits must go the same way.
class ScreenLockTest : public RasterTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    RasterTest::SetUp();
    SetMode(8, 10);
    CurrentScreenMode()->driver = GetParam() ? &kCountingDriver : &kNullDriver;
    g_lockCalls = g_unlockCalls = 0;
    ClearDirtyRows();
  }
  void TearDown() override {
    if (CurrentScreenMode()) CurrentScreenMode()->driver = &kNullDriver;
    RasterTest::TearDown();
  }
  // Hook calls are counted only where there are hooks.
  void ExpectLockCalls(int calls) {
    if (GetParam()) {
      EXPECT_EQ(g_lockCalls, calls);
    }
  }
  void ExpectUnlockCalls(int calls) {
    if (GetParam()) {
      EXPECT_EQ(g_unlockCalls, calls);
    }
  }
};

INSTANTIATE_TEST_SUITE_P(Drivers, ScreenLockTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "WithLockHooks" : "OffScreen";
                         });

TEST_P(ScreenLockTest, TwoLocksThenOneUnlockLeavesTheScreenUnlocked) {
  ScreenLock();
  EXPECT_EQ(LockBits(), kLockHeld);
  ScreenLock();
  ExpectLockCalls(1);
  ScreenUnlock(-1, -1);
  EXPECT_EQ(LockBits(), 0u);
  ExpectUnlockCalls(1);
  ScreenUnlock(-1, -1);
  ExpectUnlockCalls(1);
}

TEST_P(ScreenLockTest, UnlockWithoutLockMarksRowsButCallsNoHook) {
  ScreenUnlock(-1, -1);
  EXPECT_EQ(DirtyRows(), "1111111111");
  ExpectUnlockCalls(0);
  ExpectLockCalls(0);
}

TEST_P(ScreenLockTest, UnlockMarksOnlyTheRowsGiven) {
  ScreenUnlock(5, 2);
  EXPECT_EQ(DirtyRows(), "0000000000");
  ScreenUnlock(2, 4);
  EXPECT_EQ(DirtyRows(), "0011100000");
  ClearDirtyRows();
  ScreenUnlock(-7, -1);
  EXPECT_EQ(DirtyRows(), "1111111111");
  ClearDirtyRows();
  ScreenUnlock(8, -1);
  EXPECT_EQ(DirtyRows(), "0000000011");
  ClearDirtyRows();
  ScreenUnlock(3, 10);  // the last row is past the screen: nothing
  ScreenUnlock(12, 40);
  EXPECT_EQ(DirtyRows(), "0000000000");
}

TEST_P(ScreenLockTest, APrimitiveLocksAndUnlocksByItself) {
  PixelSet(nullptr, 1, 1, 0xFFFFFFFFu, 4, 0);
  ExpectLockCalls(1);
  ExpectUnlockCalls(1);
  EXPECT_EQ(LockBits(), 0u);
  EXPECT_EQ(DirtyRows(), "0100000000");
}

TEST_P(ScreenLockTest, APrimitiveInsideAHeldLockNeitherLocksNorUnlocks) {
  ScreenLock();
  PixelSet(nullptr, 1, 1, 0xFFFFFFFFu, 4, 0);
  DrawLine(nullptr, 0, 0, 3, 3, 0xFF00FF00u, 2, 0xFFFF, 0);
  ExpectLockCalls(1);
  ExpectUnlockCalls(0);
  EXPECT_EQ(LockBits(), kLockHeld);
  ScreenUnlock(-1, -1);
  ExpectUnlockCalls(1);
  EXPECT_EQ(LockBits(), 0u);
}

TEST_P(ScreenLockTest, BeginAndEndDrawPairUp) {
  DrawContext* context = GetDrawContext();
  BeginDraw();
  EXPECT_EQ(LockBits(), kLockHeld | kAutoLock);
  BeginDraw();
  ExpectLockCalls(1);
  EndDraw(context, 0, 0);
  EXPECT_EQ(LockBits(), 0u);
  ExpectUnlockCalls(1);
  EndDraw(context, 0, 0);
  ExpectUnlockCalls(1);
}

TEST_P(ScreenLockTest, ScreenUnlockAlsoEndsAnAutomaticLock) {
  BeginDraw();
  ScreenUnlock(-1, -1);
  EXPECT_EQ(LockBits(), 0u);
  ExpectUnlockCalls(1);
}

TEST_P(ScreenLockTest, AClippedPrimitiveTakesNoLock) {
  PixelSet(nullptr, -3, 2, 0xFFFFFFFFu, 4, 0);
  DrawLine(nullptr, -10, 0, -2, 5, 0xFFFFFFFFu, 2, 0xFFFF, 0);
  ExpectLockCalls(0);
  ExpectUnlockCalls(0);
  EXPECT_EQ(LockBits(), 0u);
  EXPECT_EQ(DirtyRows(), "0000000000");
}

// ---- the frame-buffer pointer and target selection ----------------------------

using ScreenPointerTest = RasterTest;

TEST_F(ScreenPointerTest, AFreshThreadGetsTheFirstByteOfTheFrameBuffer) {
  SetMode(12, 7);
  void* seen = nullptr;
  std::thread other([&seen] {
    seen = ScreenPointer();
    RasterThreadEnd();
  });
  other.join();
  EXPECT_EQ(seen, CurrentScreenMode()->frameBuffer);
  EXPECT_EQ(ScreenPointer(), CurrentScreenMode()->frameBuffer);
}

TEST_F(ScreenPointerTest, NoModeGivesNull) {
  DropScreenMode();
  EXPECT_EQ(ScreenPointer(), nullptr);
}

TEST_F(ScreenPointerTest, ReturnsTheScreenAsTargetAfterDrawingIntoAnImage) {
  SetMode(30, 20);
  std::unique_ptr<ImageBuffer, FreeImage> image(ImageCreate(5, 4, 0, 32, 0));
  ASSERT_NE(image, nullptr);
  DrawContext* context = GetDrawContext();
  EXPECT_EQ(context->target, image.get());
  EXPECT_EQ(context->viewWidth, 5);
  EXPECT_EQ(context->viewHeight, 4);
  EXPECT_EQ(ScreenPointer(), CurrentScreenMode()->frameBuffer);
  EXPECT_EQ(context->target, nullptr);
  EXPECT_EQ(context->viewX, 0);
  EXPECT_EQ(context->viewY, 0);
  EXPECT_EQ(context->viewWidth, 30);
  EXPECT_EQ(context->viewHeight, 20);
  EXPECT_EQ(context->targetPitch, 120);
  EXPECT_EQ(context->contextFlags & (kReselectScreen | kTargetIsImage), 0u);
  EXPECT_EQ(context->rows[19], CurrentScreenMode()->frameBuffer + 19 * 120);
}

TEST_F(ScreenPointerTest, ATallerImageGrowsTheRowTableAndTheScreenStillWorks) {
  SetMode(6, 3);
  std::unique_ptr<ImageBuffer, FreeImage> tall(ImageCreate(2, 50, 0, 32, 0));
  ASSERT_NE(tall, nullptr);
  DrawContext* context = GetDrawContext();
  EXPECT_GE(context->rowCapacity, 50);
  PixelSet(tall.get(), 1, 49, 0xFF112233u, 4, 0);
  EXPECT_EQ(ImagePixel32(tall.get(), 1, 49), 0xFF112233u);
  PixelSet(nullptr, 5, 2, 0xFF445566u, 4, 0);
  EXPECT_EQ(ScreenPixel(5, 2), 0xFF445566u);
  EXPECT_GE(context->rowCapacity, 50);  // never shrinks
}

// An image freed and another made at the same address with another shape
// must not be drawn through the first one's row table.
TEST_F(ScreenPointerTest, AReusedImageAddressWithAnotherShapeIsSelectedAfresh) {
  SetMode(64, 64);
  ImageBuffer* first = ImageCreate(40, 2, 0, 32, 0);
  ASSERT_NE(first, nullptr);
  ASSERT_EQ(HeaderOf(first)->pitch, 160u);  // 320 pixel bytes, enough for 4 x 20
  // Rewrite the block in place as a 4 x 20 image, as a new owner of the
  // same address would.
  ImageHeader header = *HeaderOf(first);
  header.width = 4;
  header.height = 20;
  header.pitch = 16;
  std::memcpy(first, &header, sizeof(header));
  PixelSet(first, 3, 19, 0xFFABCDEFu, 4, 0);
  EXPECT_EQ(ImagePixel32(first, 3, 19), 0xFFABCDEFu);
  DrawContext* context = GetDrawContext();
  EXPECT_EQ(context->viewWidth, 4);
  EXPECT_EQ(context->viewHeight, 20);
  std::free(first);
}

TEST_F(ScreenPointerTest, AShortHeaderTargetIsDrawnAtItsOwnPixelSizeOrTheScreens) {
  SetMode(6, 6);
  // 3 x 2 pixels of one byte: a block of exactly 4 + 6 bytes.
  std::vector<uint8_t> bytes(4 + 6, 0);
  const ShortImageHeader narrow = {static_cast<uint16_t>((3 << 3) | 1), 2};
  std::memcpy(bytes.data(), &narrow, sizeof(narrow));
  PixelSet(AsImage(bytes.data()), 2, 1, 0x123456ABu, 4, 0);
  DrawLine(AsImage(bytes.data()), 0, 0, 9, 0, 0x11u, 2, 0xFFFF, 0);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 4, bytes.end()),
            (std::vector<uint8_t>{0x11, 0x11, 0x11, 0, 0, 0xAB}));
  // No size given: the screen's four bytes.
  std::vector<uint8_t> wide(4 + 2 * 2 * 4, 0);
  const ShortImageHeader screenSized = {static_cast<uint16_t>(2 << 3), 2};
  std::memcpy(wide.data(), &screenSized, sizeof(screenSized));
  PixelSet(AsImage(wide.data()), 1, 1, 0xFFABCDEFu, 4, 0);
  uint32_t pixel;
  std::memcpy(&pixel, wide.data() + 4 + 12, 4);
  EXPECT_EQ(pixel, 0xFFABCDEFu);
}

TEST_F(ScreenPointerTest, AnUnreadableTargetDrawsNothingAndKeepsTheSelection) {
  SetMode(6, 6);
  alignas(4) uint8_t broken[64] = {};
  ImageHeader header = {kImageHeaderType, 3, 2, 2, 8, 0, {0, 0}};  // 3 bytes per pixel
  std::memcpy(broken, &header, sizeof(header));
  PixelSet(AsImage(broken), 0, 0, 0xFFFFFFFFu, 4, 0);
  DrawLine(AsImage(broken), 0, 0, 1, 1, 0xFFFFFFFFu, 2, 0xFFFF, 0);
  for (size_t i = sizeof(header); i < sizeof(broken); ++i) ASSERT_EQ(broken[i], 0) << i;
  EXPECT_EQ(GetDrawContext()->target, nullptr);
  PixelSet(nullptr, 2, 2, 0xFF010203u, 4, 0);
  EXPECT_EQ(ScreenPixel(2, 2), 0xFF010203u);
}

}  // namespace

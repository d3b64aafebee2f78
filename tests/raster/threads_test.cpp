// Two threads as the saver runs them: the main thread draws frames while a
// presentation thread locks the screen, reads every pixel and unlocks. The
// pixels may be read half drawn (a torn frame); nothing else is shared
// without order, which the thread sanitizer build checks.
#include <atomic>
#include <chrono>
#include <memory>
#include <vector>

#include "raster_fixture.h"
#include "runtime/os.h"

namespace {

constexpr int32_t kWidth = 96;
constexpr int32_t kHeight = 64;

struct Presenter {
  std::atomic<int32_t> stop{0};
  std::atomic<int32_t> frames{0};
  std::atomic<int32_t> wrongPointers{0};
  void* expectedPointer = nullptr;
  std::vector<uint32_t> copy = std::vector<uint32_t>(kWidth * kHeight);
};

// Only this function touches the pixels on the presenting side; the
// sanitizer is told that its reads may race with the drawing.
__attribute__((noinline)) void CopyFramePixels(const void* frame, uint32_t* copy, size_t count) {
  std::memcpy(copy, frame, count * sizeof(uint32_t));
}

uintptr_t PresentFrames(uintptr_t value) {
  auto* presenter = reinterpret_cast<Presenter*>(value);
  while (presenter->stop.load() == 0 || presenter->frames.load() == 0) {
    ScreenLock();
    void* frame = ScreenPointer();
    if (frame != presenter->expectedPointer) presenter->wrongPointers.fetch_add(1);
    if (frame) CopyFramePixels(frame, presenter->copy.data(), presenter->copy.size());
    ScreenUnlock(1, 0);  // marks no rows: those marked are the drawing's
    presenter->frames.fetch_add(1);
  }
  RasterThreadEnd();
  return 0;
}

using ThreadsTest = RasterTest;

TEST_F(ThreadsTest, DrawingWhileAnotherThreadPresentsIsOrderly) {
  SetMode(kWidth, kHeight);
  std::unique_ptr<ImageBuffer, FreeImage> backdrop(
      ImageCreate(kWidth, kHeight, 0, 0, static_cast<int32_t>(0x80000000u)));
  ASSERT_NE(backdrop, nullptr);
  DrawLine(backdrop.get(), 0, 0, kWidth, kHeight, 0xFF0000FFu, 2, 0xFFFF, 0);

  // Set once the blend routines are chosen; both threads' lock steps must
  // leave the mode bits as they are.
  const uint32_t modeBits = CurrentScreenMode()->flags.load();
  Presenter presenter;
  presenter.expectedPointer = CurrentScreenMode()->frameBuffer;
  ThreadRecord* thread = ThreadStart(PresentFrames, reinterpret_cast<uintptr_t>(&presenter));
  ASSERT_NE(thread, nullptr);

  // At least 200 frames, and on until the presenter has shown a few of them
  // (the bound is reached only when it cannot show any while drawing goes on).
  const auto bound = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  int32_t presentedWhileDrawing = 0;
  for (int frame = 0;
       frame < 200 || ((presentedWhileDrawing = presenter.frames.load()) < 3 &&
                       std::chrono::steady_clock::now() < bound);
       ++frame) {
    ASSERT_EQ(PutImage(nullptr, 0, 0, backdrop.get(), kCoordinateNotGiven, kCoordinateNotGiven,
                       kCoordinateNotGiven, kCoordinateNotGiven, 4, 6, AlphaPut, -1, nullptr, 0),
              0);
    for (int i = 0; i < 50; ++i) {
      PixelSet(nullptr, static_cast<float>((frame + i * 7) % kWidth),
               static_cast<float>((frame * 3 + i) % kHeight), 0xFFFFFFFFu, 4, 0);
    }
  }
  presenter.stop.store(1);
  uint32_t exitCode = 0;
  ASSERT_TRUE(os::ThreadJoin(thread->handle, &exitCode));
  os::ThreadClose(thread->handle);
  std::free(thread);

  EXPECT_GE(presentedWhileDrawing, 3);
  EXPECT_EQ(presenter.wrongPointers.load(), 0);
  EXPECT_EQ(LockBits(), 0u);
  EXPECT_EQ(CurrentScreenMode()->flags.load(), modeBits);
  // Every row was drawn, and the marks survived the presenter's locking.
  EXPECT_EQ(DirtyRows(), std::string(kHeight, '1'));
  // The last frame: blue everywhere but the white particles. Opaque blue
  // blended over black stops at 0xFE; over an earlier white particle it
  // reaches 0xFF.
  int32_t white = 0;
  for (int32_t y = 0; y < kHeight; ++y) {
    for (int32_t x = 0; x < kWidth; ++x) {
      const uint32_t pixel = ScreenPixel(x, y);
      ASSERT_TRUE(pixel == 0xFF0000FEu || pixel == 0xFF0000FFu || pixel == 0xFFFFFFFFu)
          << std::hex << pixel;
      white += pixel == 0xFFFFFFFFu;
    }
  }
  EXPECT_EQ(white, 50);
}

uintptr_t DrawAndReturn(uintptr_t) {
  PixelSet(nullptr, 1, 1, 0xFFFFFFFFu, 4, 0);
  return 0;  // no RasterThreadEnd: the runtime frees the thread's blocks
}

// The row table goes with the context when the runtime frees a finished
// thread's blocks; the leak checker of the address sanitizer build reports
// it at exit otherwise.
TEST_F(ThreadsTest, AThreadThatEndsWithoutRasterThreadEndLeavesNoRowTable) {
  SetMode(8, 4);
  ThreadRecord* thread = ThreadStart(DrawAndReturn, 0);
  ASSERT_NE(thread, nullptr);
  uint32_t exitCode = 0;
  ASSERT_TRUE(os::ThreadJoin(thread->handle, &exitCode));
  os::ThreadClose(thread->handle);
  std::free(thread);
  EXPECT_EQ(ScreenPixel(1, 1), 0xFFFFFFFFu);
}

}  // namespace

#include "app/snowfall.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "app/saver_state.h"
#include "raster/allocation.h"
#include "raster/raster.h"
#include "tests/app/command_line.h"
#include "tests/app/desktop_fixture.h"
#include "tests/app/snowfall_reference.h"

namespace {

struct RuntimeUp {
  RuntimeUp() { RuntimeInit(); }
} runtimeUp;

// ---- helpers ------------------------------------------------------------------

// A snowfall set up from the start of the default sequence, on the heap.
std::unique_ptr<Snowfall> SetUpSnowfall(ImageBuffer* logo) {
  Randomize(0.0, kRandomAutomatic);
  auto snowfall = std::make_unique<Snowfall>();
  SnowfallSetup(*snowfall, logo);
  return snowfall;
}

// ---- the particle array and the backdrop --------------------------------------------

class SnowfallTest : public Desktop {};

TEST_F(SnowfallTest, BackdropIsBlueWithTheLogoBlendedAtTheTopLeft) {
  SetUpDesktop(20, 12);
  // Columns of different alpha: transparent, opaque red, half-transparent
  // white, barely visible green, opaque magenta (no colour is special).
  const uint32_t columns[] = {0x00FF00FFu, 0xFFFF0000u, 0x80FFFFFFu, 0x0100FF00u,
                              0xFFFF00FFu, 0x40123456u, 0xFF0000FFu, 0x00000000u};
  ImageBuffer* logo = MakeImage(8, 6, [&](int32_t x, int32_t) { return columns[x]; });
  auto snowfall = SetUpSnowfall(logo);
  ImageBuffer* backdrop = snowfall->backdrop;
  Keep(backdrop);
  ASSERT_NE(backdrop, nullptr);
  ASSERT_EQ(Header(backdrop).width, 20u);
  ASSERT_EQ(Header(backdrop).height, 12u);
  ASSERT_EQ(Header(backdrop).bytesPerPixel, 4u);

  for (int32_t y = 0; y < 12; ++y) {
    for (int32_t x = 0; x < 20; ++x) {
      uint32_t expected = (x < 8 && y < 6) ? ReferenceBlend(columns[x], kBlue) : kBlue;
      ASSERT_EQ(ImagePixel(backdrop, x, y), expected) << x << "," << y;
    }
  }
  EXPECT_EQ(ImagePixel(backdrop, 0, 0), kBlue);        // transparent: blue shows
  EXPECT_EQ(ImagePixel(backdrop, 1, 0), 0xFFFE0000u);  // opaque red over blue
  EXPECT_EQ(ImagePixel(backdrop, 2, 0), 0xBF7F7FFFu);  // half white over blue
}

TEST_F(SnowfallTest, ALogoLargerThanTheDesktopIsClippedAtTheRightAndBottom) {
  SetUpDesktop(10, 6);
  auto pixel = [](int32_t x, int32_t y) {
    return (static_cast<uint32_t>(x * 16 + y) << 24) | static_cast<uint32_t>(x * 0x10101 + y * 7);
  };
  ImageBuffer* logo = MakeImage(24, 16, pixel);
  auto snowfall = SetUpSnowfall(logo);
  Keep(snowfall->backdrop);
  for (int32_t y = 0; y < 6; ++y)
    for (int32_t x = 0; x < 10; ++x)
      ASSERT_EQ(ImagePixel(snowfall->backdrop, x, y), ReferenceBlend(pixel(x, y), kBlue))
          << x << "," << y;
}

TEST_F(SnowfallTest, WithoutALogoTheBackdropIsPlainBlue) {
  SetUpDesktop(33, 7);
  auto snowfall = SetUpSnowfall(nullptr);
  Keep(snowfall->backdrop);
  ASSERT_NE(snowfall->backdrop, nullptr);
  for (int32_t y = 0; y < 7; ++y)
    for (int32_t x = 0; x < 33; ++x) ASSERT_EQ(ImagePixel(snowfall->backdrop, x, y), kBlue);
}

// ---- frames -----------------------------------------------------------------------------

TEST_F(SnowfallTest, AFrameBlendsTheBackdropOverThePreviousFrameAndDrawsEveryParticle) {
  const uint32_t width = 320, height = 200;
  SetUpDesktop(width, height);
  ImageBuffer* logo = MakeImage(40, 30, [](int32_t x, int32_t y) {
    return (static_cast<uint32_t>(x * 6 + y) << 24) | 0x00FFC080u;
  });
  auto snowfall = SetUpSnowfall(logo);
  Keep(snowfall->backdrop);

  // The "snapshot" the first frame lands on.
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) FramePixel(x, y) = (x * 2654435761u) ^ (y * 40503u);
  std::vector<uint32_t> before = FrameCopy();
  std::vector<Particle> particles(snowfall->storage, snowfall->storage + kParticleCount);

  SnowfallFrame(*snowfall);

  std::vector<bool> snow(width * height, false);
  for (int i = 0; i < kParticleCount; ++i) {
    ReferenceStep(particles[i], width, height);
    ASSERT_EQ(snowfall->storage[i].x, particles[i].x) << i;
    ASSERT_EQ(snowfall->storage[i].y, particles[i].y) << i;
    int64_t px = ReferencePixel(particles[i].x), py = ReferencePixel(particles[i].y);
    if (px >= 0 && px < width && py >= 0 && py < height) snow[py * width + px] = true;
  }
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      uint32_t i = y * width + x;
      uint32_t expected =
          snow[i] ? kWhite : ReferenceBlend(ImagePixel(snowfall->backdrop, x, y), before[i]);
      ASSERT_EQ(FramePixel(x, y), expected) << x << "," << y;
    }
  }
}

TEST_F(SnowfallTest, FramesNeedNoMemoryFromTheRasterLibrary) {
  const uint32_t width = 200, height = 120;
  SetUpDesktop(width, height);
  ImageBuffer* logo = MakeImage(50, 40, [](int32_t x, int32_t y) {
    return (static_cast<uint32_t>(x * 5 + y) << 24) | 0x0080FF40u;
  });
  auto snowfall = SetUpSnowfall(logo);
  Keep(snowfall->backdrop);
  std::vector<uint32_t> start = FrameCopy();
  std::vector<Particle> particles(snowfall->storage, snowfall->storage + kParticleCount);

  // Three frames with every raster allocation failing...
  RasterFailAllocationsAfter(0);
  for (int i = 0; i < 3; ++i) SnowfallFrame(*snowfall);
  RasterFailAllocationsAfter(-1);
  std::vector<uint32_t> starved = FrameCopy();

  // ...draw exactly what three ordinary frames draw.
  std::memcpy(Frame(), start.data(), start.size() * 4);
  std::copy(particles.begin(), particles.end(), snowfall->storage);
  snowfall->wholePutDue = true;  // the frame was changed behind its back
  for (int i = 0; i < 3; ++i) SnowfallFrame(*snowfall);
  EXPECT_EQ(starved, FrameCopy());
  EXPECT_NE(starved, start);
}

// ---- the frame loop and the quit flag ----------------------------------------------------

std::atomic<int> sleeps{0};
std::atomic<int> wrongSleeps{0};
std::atomic<int> raiseQuitOnSleep{0};

void CountingSleep(int32_t milliseconds) {
  if (milliseconds != 1) ++wrongSleeps;
  int n = ++sleeps;
  if (n == raiseQuitOnSleep.load()) SaverRaiseQuit();
}

class FrameLoopTest : public Desktop {
 protected:
  void SetUp() override {
    SetUpDesktop(160, 100);
    saved_ = RuntimeGetHooks();
    RuntimeHooks hooks = saved_;
    hooks.entries[kSleepHookIndex] = reinterpret_cast<RuntimeHook>(&CountingSleep);
    RuntimeSetHooks(&hooks);
    sleeps = 0;
    wrongSleeps = 0;
    raiseQuitOnSleep = 0;
  }
  void TearDown() override {
    RuntimeSetHooks(&saved_);
    Desktop::TearDown();
  }

  // Particles that went through exactly `frames` steps from `start`.
  static void ExpectStepped(const Snowfall& snowfall, std::vector<Particle> start, int frames) {
    for (int i = 0; i < kParticleCount; ++i) {
      for (int f = 0; f < frames; ++f) ReferenceStep(start[i], saverState.width, saverState.height);
      ASSERT_EQ(snowfall.storage[i].x, start[i].x) << "particle " << i << " after " << frames;
      ASSERT_EQ(snowfall.storage[i].y, start[i].y) << "particle " << i << " after " << frames;
    }
  }

 private:
  RuntimeHooks saved_;
};

bool GrowTheDesktop() {
  saverState.width = 240;
  saverState.height = 150;
  SetScreenMode(240, 150, 32, 1, kOffscreenDriver, 0);
  // The mode set installs the raster library's hooks: the sleeps are
  // counted again.
  RuntimeHooks hooks = RuntimeGetHooks();
  hooks.entries[kSleepHookIndex] = reinterpret_cast<RuntimeHook>(&CountingSleep);
  RuntimeSetHooks(&hooks);
  return ScreenPointer() != nullptr;
}

// Asked between frames, the change is followed before the next frame: that
// frame covers the whole new FrameBuffer (no pixel of the old frame's
// listing is trusted), and the particles are spread over the new size.
TEST_F(FrameLoopTest, AChangeOfTheMonitorsIsFollowedBeforeTheNextFrame) {
  auto snowfall = SetUpSnowfall(nullptr);
  snowfall->layOutAgain = GrowTheDesktop;
  SnowfallFrame(*snowfall);
  SnowfallFrame(*snowfall);  // a frame that puts the listed pixels only
  std::vector<Particle> start(snowfall->storage, snowfall->storage + kParticleCount);
  SaverSetDesktopChange(kDesktopChangeAsked);
  raiseQuitOnSleep = 1;
  SnowfallRun(*snowfall);
  Keep(snowfall->backdrop);
  EXPECT_EQ(SaverDesktopChange(), kDesktopChangeMade);
  ASSERT_NE(snowfall->backdrop, nullptr);
  EXPECT_EQ(Header(snowfall->backdrop).width, 240u);
  // The new FrameBuffer starts black: the backdrop put once over it, or snow.
  const uint32_t blueOverBlack = ReferenceBlend(kBlue, 0xFF000000u);
  const std::vector<uint32_t> frame = FrameCopy();
  for (size_t i = 0; i < frame.size(); ++i) {
    ASSERT_TRUE(frame[i] == blueOverBlack || frame[i] == kParticleColour) << i;
  }
  for (Particle& p : start) {
    p.x *= 1.5;
    p.y *= 1.5;
  }
  ExpectStepped(*snowfall, start, 1);
}

TEST_F(FrameLoopTest, ADesktopThatCannotBeCoveredEndsTheAnimation) {
  auto snowfall = SetUpSnowfall(nullptr);
  snowfall->layOutAgain = [] { return false; };
  SaverSetDesktopChange(kDesktopChangeAsked);
  SnowfallRun(*snowfall);
  EXPECT_EQ(SaverQuitRaised(), 1);
  EXPECT_EQ(sleeps.load(), 0);
}

TEST_F(FrameLoopTest, AQuitFlagAlreadyRaisedDrawsNoFrame) {
  auto snowfall = SetUpSnowfall(nullptr);
  Keep(snowfall->backdrop);
  std::vector<uint32_t> before = FrameCopy();
  std::vector<Particle> start(snowfall->storage, snowfall->storage + kParticleCount);
  SaverRaiseQuit();
  SnowfallRun(*snowfall);
  EXPECT_EQ(sleeps.load(), 0);
  EXPECT_EQ(FrameCopy(), before);
  ExpectStepped(*snowfall, start, 0);
}

TEST_F(FrameLoopTest, EachFrameEndsWithOneSleepOfOneMillisecondAndTheFlagIsReadBeforeTheNext) {
  auto snowfall = SetUpSnowfall(nullptr);
  Keep(snowfall->backdrop);
  std::vector<Particle> start(snowfall->storage, snowfall->storage + kParticleCount);
  raiseQuitOnSleep = 3;  // raised while the third frame sleeps
  SnowfallRun(*snowfall);
  EXPECT_EQ(sleeps.load(), 3);
  EXPECT_EQ(wrongSleeps.load(), 0);
  ExpectStepped(*snowfall, start, 3);
}

TEST_F(FrameLoopTest, AQuitFlagRaisedDuringAFrameLetsThatFrameFinish) {
  // Raised by another thread at whatever point the main thread has reached:
  // when the loop returns, every particle has been stepped once per frame,
  // and every frame has had its sleep.
  for (int attempt = 0; attempt < 5; ++attempt) {
    SaverStateClear();
    saverState.width = 160;
    saverState.height = 100;
    sleeps = 0;
    auto snowfall = SetUpSnowfall(nullptr);
    Keep(snowfall->backdrop);
    std::vector<Particle> start(snowfall->storage, snowfall->storage + kParticleCount);
    std::thread windowThread([attempt] {
      while (sleeps.load() < attempt + 1) std::this_thread::yield();
      SaverRaiseQuit();
    });
    SnowfallRun(*snowfall);
    windowThread.join();
    int frames = sleeps.load();
    EXPECT_GE(frames, attempt + 1);
    ExpectStepped(*snowfall, start, frames);
  }
}

}  // namespace

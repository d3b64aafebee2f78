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
#include "tests/app/snowfall_reference.h"

namespace {

struct RuntimeUp {
  RuntimeUp() { RuntimeInit(); }
} runtimeUp;

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kBlue = 0xFF0000FFu;

// ---- helpers ------------------------------------------------------------------

class Desktop : public ::testing::Test {
 protected:
  void SetUpDesktop(uint32_t width, uint32_t height) {
    SaverStateClear();
    saverState.width = width;
    saverState.height = height;
    SetScreenMode(static_cast<int32_t>(width), static_cast<int32_t>(height), 32, 1, -1, 0);
    ASSERT_NE(ScreenPointer(), nullptr);
  }

  void TearDown() override {
    for (void* image : images_) std::free(image);
  }

  uint32_t* Frame() { return static_cast<uint32_t*>(ScreenPointer()); }
  uint32_t& FramePixel(uint32_t x, uint32_t y) { return Frame()[y * saverState.width + x]; }

  std::vector<uint32_t> FrameCopy() {
    uint32_t* f = Frame();
    return std::vector<uint32_t>(f, f + saverState.width * saverState.height);
  }

  // A 32-bit image whose pixels come from pixel(x, y); freed after the test.
  template <typename PixelOf>
  ImageBuffer* MakeImage(int32_t width, int32_t height, PixelOf pixel) {
    ImageBuffer* image = ImageCreate(width, height, 0, 32, 0);
    EXPECT_NE(image, nullptr);
    if (!image) return nullptr;
    Keep(image);
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x) ImagePixel(image, x, y) = pixel(x, y);
    return image;
  }

  void Keep(ImageBuffer* image) {
    if (image) images_.push_back(image);
  }

  static uint32_t& ImagePixel(ImageBuffer* image, int32_t x, int32_t y) {
    auto* header = static_cast<ImageHeader*>(image);
    auto* pixels = static_cast<uint8_t*>(image) + kImageHeaderSize;
    return reinterpret_cast<uint32_t*>(pixels + y * header->pitch)[x];
  }

  static const ImageHeader& Header(ImageBuffer* image) {
    return *static_cast<const ImageHeader*>(image);
  }

 private:
  std::vector<ImageBuffer*> images_;
};

// A snowfall set up from the start of the default sequence, on the heap.
std::unique_ptr<Snowfall> SetUpSnowfall(ImageBuffer* logo) {
  Randomize(0.0, kRandomAutomatic);
  auto snowfall = std::make_unique<Snowfall>();
  SnowfallSetup(*snowfall, logo);
  return snowfall;
}

// One particle step worked out by hand: the sum in extended precision, the
// wrap strictly past the edge.
void ReferenceStep(Particle& p, double width, double height) {
  p.x = static_cast<double>(static_cast<long double>(p.x) + p.dx);
  p.y = static_cast<double>(static_cast<long double>(p.y) + p.dy);
  if (p.x > width) p.x = 0.0;
  if (p.y > height) p.y = 0.0;
}

Particle MakeParticle(double x, double y, double dx, double dy) {
  Particle p;
  p.x = x;
  p.y = y;
  p.dx = dx;
  p.dy = dy;
  return p;
}

// ---- placement rules ---------------------------------------------------------------

TEST(PlaceParticle, ScalesTheFirstTwoDrawsByTheDesktopSize) {
  Particle p;
  PlaceParticle(p, {0.25, 0.5, 0.9, 0.9, 0.1, 0.9, 0.9, 0.1}, 1920.0, 1080.0);
  EXPECT_EQ(p.x, 480.0);
  EXPECT_EQ(p.y, 540.0);
  EXPECT_EQ(p.dx, 0.9 * 0.9 * 2.0 - 0.1);
  EXPECT_EQ(p.dy, 0.9 * 0.9 * 2.0 - 0.1);
  EXPECT_EQ(p.extra, 0);
}

TEST(PlaceParticle, AHorizontalStepOfExactlyZeroBecomesOne) {
  Particle p;
  PlaceParticle(p, {0, 0, 0.5, 0.5, 0.5, 0.9, 0.9, 0}, 100, 100);
  EXPECT_EQ(p.dx, 1.0);
  PlaceParticle(p, {0, 0, 0.0, 0.7, 0.0, 0.9, 0.9, 0}, 100, 100);  // 0 + (-0)
  EXPECT_EQ(p.dx, 1.0);
  // Only exactly zero: the smallest steps either way are kept.
  PlaceParticle(p, {0, 0, 0.0, 0.7, 0x1p-32, 0.9, 0.9, 0}, 100, 100);
  EXPECT_EQ(p.dx, -0x1p-32);
  PlaceParticle(p, {0, 0, 0x1p-16, 0x1p-16, 0.0, 0.9, 0.9, 0}, 100, 100);
  EXPECT_EQ(p.dx, 0x1p-31);
}

TEST(PlaceParticle, AVerticalStepBelowHalfAPixelBecomesHalf) {
  Particle p;
  PlaceParticle(p, {0, 0, 0.9, 0.9, 0, 0.5, 0.5, 0.25}, 100, 100);  // 0.25
  EXPECT_EQ(p.dy, 0.5);
  PlaceParticle(p, {0, 0, 0.9, 0.9, 0, 0.0, 0.5, 0.9}, 100, 100);  // negative
  EXPECT_EQ(p.dy, 0.5);
  PlaceParticle(p, {0, 0, 0.9, 0.9, 0, 0.5, 0.5, 0x1p-32}, 100, 100);  // just below
  EXPECT_EQ(p.dy, 0.5);
  PlaceParticle(p, {0, 0, 0.9, 0.9, 0, 0.75, 0.5, 0.25}, 100, 100);  // exactly half
  EXPECT_EQ(p.dy, 0.5);
  PlaceParticle(p, {0, 0, 0.9, 0.9, 0, 0.75, 0.5, 0.25 - 0x1p-32}, 100, 100);  // just above
  EXPECT_EQ(p.dy, 0.5 + 0x1p-32);
  // The horizontal step has no such floor.
  EXPECT_EQ(p.dx, 0.9 * 0.9 * 2.0);
}

TEST(PlaceParticle, RoundsTheProductFirstAndTheSumFromExtendedPrecision) {
  // The exact difference lies a hair beyond the midpoint between two doubles.
  // In extended precision it first rounds onto that midpoint, which then
  // goes to the even neighbour, -0.5; a direct double sum would give the
  // other neighbour.
  Particle p;
  PlaceParticle(p, {0, 0, 0x1p-56 + 0x1p-71, 1.0, 0.5, 0.9, 0.9, 0}, 100, 100);
  EXPECT_EQ(p.dx, -0.5);
  PlaceParticle(p, {0, 0, 0.9, 0.9, 0, 0x1p-56 + 0x1p-71, 1.0, -1.0}, 100, 100);
  EXPECT_EQ(p.dy, 1.0);
}

// ---- stepping ------------------------------------------------------------------------

class StepParticleTest : public Desktop {
 protected:
  void SetUp() override { SetUpDesktop(100, 50); }

  // Every frame pixel that is white, as (x, y) pairs.
  std::set<std::pair<uint32_t, uint32_t>> WhitePixels() {
    std::set<std::pair<uint32_t, uint32_t>> white;
    for (uint32_t y = 0; y < saverState.height; ++y)
      for (uint32_t x = 0; x < saverState.width; ++x)
        if (FramePixel(x, y) == kWhite) white.insert({x, y});
    return white;
  }
  using Pixels = std::set<std::pair<uint32_t, uint32_t>>;
};

TEST_F(StepParticleTest, MovesByTheStepAndSetsOneOpaqueWhitePixel) {
  Particle p = MakeParticle(10.0, 20.0, 1.25, 0.75);
  StepParticle(p);
  EXPECT_EQ(p.x, 11.25);
  EXPECT_EQ(p.y, 20.75);
  EXPECT_EQ(WhitePixels(), (Pixels{{11, 21}}));
  StepParticle(p);  // 12.5, 21.5: halves round away from zero
  EXPECT_EQ(WhitePixels(), (Pixels{{11, 21}, {13, 22}}));
}

TEST_F(StepParticleTest, ThePixelIsTheStoredPositionRoundedToFloatFirst) {
  // 12.5 - 2^-30 is a float's 12.5, which rounds to column 13; rounded
  // from the double, it would be column 12. 12.5 - 2^-20 and 14.5 - 2^-20
  // are floats.
  Particle toHalf = MakeParticle(12.0, 20.0, 0.5 - 0x1p-30, 1.0 - 0x1p-30);
  StepParticle(toHalf);
  EXPECT_EQ(toHalf.x, 12.5 - 0x1p-30);
  EXPECT_EQ(WhitePixels(), (Pixels{{13, 21}}));
  Particle belowHalf = MakeParticle(12.0, 14.0, 0.5 - 0x1p-20, 0.5 - 0x1p-20);
  StepParticle(belowHalf);
  EXPECT_EQ(WhitePixels(), (Pixels{{13, 21}, {12, 14}}));
}

TEST_F(StepParticleTest, WrapsToZeroOnlyStrictlyPastTheRightEdge) {
  Particle past = MakeParticle(99.75, 10.0, 0.5, 1.0);
  StepParticle(past);
  EXPECT_EQ(past.x, 0.0);
  EXPECT_EQ(past.y, 11.0);  // the other coordinate moves as usual
  EXPECT_EQ(WhitePixels(), (Pixels{{0, 11}}));

  Particle onEdge = MakeParticle(99.5, 30.0, 0.5, 1.0);
  StepParticle(onEdge);
  EXPECT_EQ(onEdge.x, 100.0);  // exactly at the width: kept, and not drawn
  EXPECT_EQ(onEdge.y, 31.0);
  EXPECT_EQ(WhitePixels(), (Pixels{{0, 11}}));
  StepParticle(onEdge);
  EXPECT_EQ(onEdge.x, 0.0);
  EXPECT_EQ(onEdge.y, 32.0);
}

TEST_F(StepParticleTest, WrapsToZeroOnlyStrictlyPastTheBottomEdge) {
  Particle past = MakeParticle(40.0, 49.75, 1.0, 0.5);
  StepParticle(past);
  EXPECT_EQ(past.x, 41.0);
  EXPECT_EQ(past.y, 0.0);
  EXPECT_EQ(WhitePixels(), (Pixels{{41, 0}}));

  Particle onEdge = MakeParticle(60.0, 49.0, 1.0, 1.0);
  StepParticle(onEdge);
  EXPECT_EQ(onEdge.y, 50.0);
  EXPECT_EQ(WhitePixels(), (Pixels{{41, 0}}));

  Particle corner = MakeParticle(99.9, 49.9, 0.2, 0.2);
  StepParticle(corner);
  EXPECT_EQ(corner.x, 0.0);
  EXPECT_EQ(corner.y, 0.0);
  EXPECT_EQ(WhitePixels(), (Pixels{{41, 0}, {0, 0}}));
}

TEST_F(StepParticleTest, NeverWrapsAtTheLeftEdge) {
  Particle p = MakeParticle(0.25, 5.0, -0.5, 0.5);
  StepParticle(p);
  EXPECT_EQ(p.x, -0.25);  // still rounds into column 0
  EXPECT_EQ(WhitePixels(), (Pixels{{0, 6}}));
  std::memset(Frame(), 0, 100 * 50 * 4);
  for (int i = 0; i < 1000; ++i) StepParticle(p);
  EXPECT_EQ(p.x, -0.25 - 500.0);  // gone for good, never reset
  EXPECT_TRUE(WhitePixels().empty());
}

TEST_F(StepParticleTest, AddsTheStepInExtendedPrecision) {
  SetUpDesktop(4096, 4);
  // 2048 + 2^-42 + 2^-57 rounds to the midpoint 2048 + 2^-42 in extended
  // precision and then to the even 2048; a direct double sum gives 2048 + 2^-41.
  Particle p = MakeParticle(2048.0, 1.0, 0x1p-42 + 0x1p-57, 0.5);
  StepParticle(p);
  EXPECT_EQ(p.x, 2048.0);
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

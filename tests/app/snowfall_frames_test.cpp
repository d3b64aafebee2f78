// The snowfall's frames, which put the backdrop only where it changes pixels,
// side by side with frames that put the whole backdrop every time: after
// every frame the two FrameBuffers must hold the same pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "app/saver_state.h"
#include "app/snowfall.h"
#include "png/png.h"
#include "raster/raster.h"
#include "resources/logo.h"
#include "runtime/runtime.h"

namespace {

struct RuntimeUp {
  RuntimeUp() { RuntimeInit(); }
} runtimeUp;

// Sanitizer builds run many times slower, above all the 10001 pixel sets of
// every frame: the frame count stays, but they run only a partly transparent
// logo on a desktop of its size and the real logo on a small one, and leave
// the rest to the plain build.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSlowBuild = true;
#else
constexpr bool kSlowBuild = false;
#endif

constexpr int kFrames = 200;
constexpr int32_t kFallbackRoom = 2400;

struct FreeImage {
  void operator()(ImageBuffer* image) const { std::free(image); }
};
using Image = std::unique_ptr<ImageBuffer, FreeImage>;

uint32_t& PixelOf(ImageBuffer* image, int32_t x, int32_t y) {
  auto* header = HeaderOf(image);
  auto* pixels = reinterpret_cast<uint8_t*>(image) + kImageHeaderSize;
  return reinterpret_cast<uint32_t*>(pixels + static_cast<size_t>(y) * header->pitch)[x];
}

// Colours at random, alphas drawn from `alphas` (every value 0..255 when empty).
Image RandomLogo(int32_t width, int32_t height, uint32_t seed, std::vector<uint32_t> alphas = {}) {
  Image logo(ImageCreate(width, height, 0, 32, 0));
  std::mt19937 random(seed);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t alpha = alphas.empty() ? random() & 0xFF : alphas[random() % alphas.size()];
      PixelOf(logo.get(), x, y) = (alpha << 24) | (random() & 0xFFFFFF);
    }
  }
  return logo;
}

Image RealLogo() {
  return Image(static_cast<ImageBuffer*>(PngDecodeMemory(kLogoPng, kLogoPngSize, 2)));
}

class SideBySide : public ::testing::Test {
 protected:
  // Runs kFrames frames both ways from the same random snapshot and
  // compares the FrameBuffers after each; returns for each frame whether it
  // put the backdrop only at some pixels.
  std::vector<bool> RunBothWays(uint32_t width, uint32_t height, ImageBuffer* logo, uint32_t snapshotSeed,
                  int32_t trackedPixels = kTrackedPixels,
                  bool (*listedAt)(int frame) = nullptr) {
    SaverStateClear();
    saverState.width = width;
    saverState.height = height;
    saverState.layout = layout_;
    saverState.plainField = plainField_;
    SetScreenMode(static_cast<int32_t>(width), static_cast<int32_t>(height), 32, 1, -1, 0);
    auto* frame = static_cast<uint32_t*>(ScreenPointer());
    EXPECT_NE(frame, nullptr);
    if (!frame) return {};
    const size_t pixels = static_cast<size_t>(width) * height;

    std::vector<uint32_t> wholeFrame(pixels);
    std::mt19937 random(snapshotSeed);
    for (uint32_t& pixel : wholeFrame) pixel = random();
    std::vector<uint32_t> partFrame = wholeFrame;

    auto whole = MakeSnowfall(logo, kTrackedPixels);
    auto part = MakeSnowfall(logo, trackedPixels);
    logoAreas_.assign(part->logoAreas.areas, part->logoAreas.areas + part->logoAreas.count);
    logoSpans_.clear();
    if (part->logoAreas.rows) {
      logoSpans_.assign(part->logoAreas.rows.get(), part->logoAreas.rows.get() + height);
    }
    std::vector<bool> partialPuts;
    for (int f = 0; f < kFrames; ++f) {
      std::memcpy(frame, wholeFrame.data(), pixels * 4);
      SnowfallWholeFrame(*whole);
      std::memcpy(wholeFrame.data(), frame, pixels * 4);

      const bool listed = !listedAt || listedAt(f);
      partialPuts.push_back(listed && !part->wholePutDue);
      logoSnowSeen_ = std::max(logoSnowSeen_, part->points.LogoSnowCount());
      plainSnowSeen_ = std::max(plainSnowSeen_, part->points.PlainSnowCount());
      std::memcpy(frame, partFrame.data(), pixels * 4);
      if (listed) {
        SnowfallFrame(*part);
      } else {
        SnowfallWholeFrame(*part);
      }
      std::memcpy(partFrame.data(), frame, pixels * 4);

      if (std::memcmp(partFrame.data(), wholeFrame.data(), pixels * 4) != 0) {
        size_t i = 0;
        while (partFrame[i] == wholeFrame[i]) ++i;
        ADD_FAILURE() << "frame " << f << ": pixel (" << i % width << ", " << i / width
                      << ") is 0x" << std::hex << partFrame[i] << ", the whole put gives 0x"
                      << wholeFrame[i];
        break;
      }
    }
    return partialPuts;
  }

  // Images can be made only while a screen mode is set.
  void SetUp() override { SetScreenMode(8, 8, 32, 1, -1, 0); }

  std::unique_ptr<Snowfall> MakeSnowfall(ImageBuffer* logo, int32_t trackedPixels) {
    Randomize(0.0, kRandomAutomatic);
    auto snowfall = std::make_unique<Snowfall>();
    SnowfallSetup(*snowfall, logo, trackedPixels);
    backdrops_.emplace_back(snowfall->backdrop);
    return snowfall;
  }

  void TearDown() override {
    backdrops_.clear();
    SaverStateClear();
  }

  // All but the first frame, which always puts the whole backdrop.
  void ExpectAllButTheFirstPartial(const std::vector<bool>& partialPuts) {
    ASSERT_EQ(partialPuts.size(), static_cast<size_t>(kFrames));
    EXPECT_FALSE(partialPuts[0]);
    EXPECT_EQ(std::count(partialPuts.begin(), partialPuts.end(), true), kFrames - 1);
  }

  DesktopLayout layout_{};  // none: the frame is one monitor
  int32_t plainField_ = 0;
  // The most snow pixels listed in a frame inside the logo areas, and
  // elsewhere (put back by the backdrop's colour alone).
  int32_t logoSnowSeen_ = 0;
  int32_t plainSnowSeen_ = 0;
  std::vector<SaverRect> logoAreas_;  // the last run's
  std::vector<RowSpan> logoSpans_;  // each desktop row's, the last run's

 private:
  std::vector<Image> backdrops_;
};

TEST_F(SideBySide, APartlyTransparentLogoOnDesktopsSmallerEqualAndLargerWithOddWidths) {
  Image logo = RandomLogo(97, 61, 1);
  ASSERT_NE(logo, nullptr);
  // Widths of a multiple of four have rows as long as the backdrop's.
  const uint32_t sizes[][2] = {{97, 61}, {95, 59}, {131, 83}, {333, 211}, {96, 61}, {132, 83}};
  uint32_t seed = 100;
  for (const auto& size : sizes) {
    if (kSlowBuild && &size != &sizes[0]) break;
    SCOPED_TRACE(testing::Message() << size[0] << " x " << size[1]);
    // All but the first frame, which always puts the whole backdrop.
    ExpectAllButTheFirstPartial(RunBothWays(size[0], size[1], logo.get(), ++seed));
    if (HasFailure()) return;
  }
}

// Where memory leaves no room for the backdrop the saver shows the blue
// field alone; the snow must leave no trail on it, whichever way it is put.
TEST_F(SideBySide, ThePlainFieldWithoutABackdropLeavesNoTrails) {
  Image logo = RandomLogo(97, 61, 9);
  ASSERT_NE(logo, nullptr);
  plainField_ = 1;
  const uint32_t width = 131, height = 83;
  ExpectAllButTheFirstPartial(RunBothWays(width, height, logo.get(), 7));
  const auto* frame = static_cast<const uint32_t*>(ScreenPointer());
  ASSERT_NE(frame, nullptr);
  const size_t pixels = size_t{width} * height;
  const auto white = std::count(frame, frame + pixels, kParticleColour);
  EXPECT_EQ(white + std::count(frame, frame + pixels, kBackdropColour),
            static_cast<std::ptrdiff_t>(pixels));
  EXPECT_GT(white, 0);
  EXPECT_LE(white, kParticleCount);
}

// Two monitors, one left of and below the primary's top and smaller than
// the logo, which is clipped there: the snow outside both logos is put back
// by the backdrop's colour alone, the rest from the backdrop.
TEST_F(SideBySide, TwoMonitorsEachWithItsLogo) {
  Image logo = RandomLogo(97, 61, 5, {0, 64, 191, 254, 255});
  ASSERT_NE(logo, nullptr);
  const SaverRect monitors[] = {{0, 0, 157, 99}, {-81, 20, 0, 73}};
  layout_ = LayOutDesktop(monitors, 2, 0);
  ASSERT_EQ(layout_.monitorCount, 2);
  const uint32_t width = static_cast<uint32_t>(layout_.desktop.right - layout_.desktop.left);
  const uint32_t height = static_cast<uint32_t>(layout_.desktop.bottom - layout_.desktop.top);
  ExpectAllButTheFirstPartial(RunBothWays(width, height, logo.get(), 13));
  EXPECT_GT(logoSnowSeen_, 0);
  EXPECT_GT(plainSnowSeen_, 0);
}

// Snow on a logo's fully transparent border is put back by the backdrop's
// colour alone: the logo area is the visible part's, and a logo with none
// has no area.
TEST_F(SideBySide, ALogoWithATransparentBorder) {
  Image logo = RandomLogo(97, 61, 6, {0, 128, 255});
  ASSERT_NE(logo, nullptr);
  const SaverRect visible{11, 5, 83, 49};
  for (int32_t y = 0; y < 61; ++y) {
    for (int32_t x = 0; x < 97; ++x) {
      uint32_t& pixel = PixelOf(logo.get(), x, y);
      const bool inside = x >= visible.left && x < visible.right && y >= visible.top &&
                          y < visible.bottom;
      const bool corner = (x == visible.left || x == visible.right - 1) &&
                          (y == visible.top || y == visible.bottom - 1);
      if (!inside) pixel &= 0xFFFFFF;
      if (corner) pixel |= 0xFF000000u;
    }
  }
  ExpectAllButTheFirstPartial(RunBothWays(131, 83, logo.get(), 14));
  ASSERT_EQ(logoAreas_.size(), 1u);
  EXPECT_EQ(logoAreas_[0].left, visible.left);
  EXPECT_EQ(logoAreas_[0].top, visible.top);
  EXPECT_EQ(logoAreas_[0].right, visible.right);
  EXPECT_EQ(logoAreas_[0].bottom, visible.bottom);
  EXPECT_GT(logoSnowSeen_, 0);
  EXPECT_GT(plainSnowSeen_, 0);

  if (kSlowBuild) return;
  for (int32_t y = 0; y < 61; ++y) {
    for (int32_t x = 0; x < 97; ++x) PixelOf(logo.get(), x, y) &= 0xFFFFFF;
  }
  logoSnowSeen_ = 0;
  ExpectAllButTheFirstPartial(RunBothWays(131, 83, logo.get(), 15));
  EXPECT_TRUE(logoAreas_.empty());
  EXPECT_EQ(logoSnowSeen_, 0);
}

// Snow beside a row's visible pixels is put back by the colour alone as
// well: each desktop row keeps the span from its first visible pixel to its
// last. A diamond, then empty rows, then a bar with a single pixel far to
// its left.
TEST_F(SideBySide, ALogoWhoseRowsShowDifferentSpans) {
  Image logo = RandomLogo(97, 61, 7, {255});
  ASSERT_NE(logo, nullptr);
  auto visible = [](int32_t x, int32_t y) {
    if (y >= 5 && y < 25) return std::abs(x - 40) <= 9 - std::abs(y - 15);
    if (y >= 35 && y < 45) return (x >= 60 && x < 70) || (x == 20 && y % 3 == 0);
    return false;
  };
  for (int32_t y = 0; y < 61; ++y) {
    for (int32_t x = 0; x < 97; ++x) {
      uint32_t& pixel = PixelOf(logo.get(), x, y);
      // Red: never the backdrop's blue, however it is blended.
      pixel = visible(x, y) ? (pixel & 0xFF00FF00u) | 0x00FF0000u : pixel & 0xFFFFFF;
    }
  }
  ExpectAllButTheFirstPartial(RunBothWays(131, 83, logo.get(), 16));
  ASSERT_EQ(logoAreas_.size(), 1u);
  const SaverRect& area = logoAreas_[0];
  EXPECT_EQ(area.left, 20);
  EXPECT_EQ(area.top, 6);  // the diamond's tip
  EXPECT_EQ(area.right, 70);
  EXPECT_EQ(area.bottom, 45);
  ASSERT_EQ(logoSpans_.size(), 83u);
  for (uint32_t y = 0; y < 83; ++y) {
    uint32_t first = 0, end = 0;  // none
    for (uint32_t x = 0; x < 97; ++x) {
      if (!visible(static_cast<int32_t>(x), static_cast<int32_t>(y))) continue;
      if (end == 0) first = x;
      end = x + 1;
    }
    EXPECT_EQ(logoSpans_[y].left, first) << "row " << y;
    EXPECT_EQ(logoSpans_[y].right, end) << "row " << y;
  }
  EXPECT_GT(logoSnowSeen_, 0);
  EXPECT_GT(plainSnowSeen_, 0);
}

TEST_F(SideBySide, SoftEdgesOnlyAlphasThatTakeSeveralFramesToSettle) {
  if (kSlowBuild) GTEST_SKIP() << "left to the build without sanitizers";
  // Backdrop alphas between 191 and 254: the slowest the composition makes.
  Image logo = RandomLogo(151, 99, 2, {0, 96, 128, 160, 200, 250, 255});
  ASSERT_NE(logo, nullptr);
  ExpectAllButTheFirstPartial(RunBothWays(257, 141, logo.get(), 7));
}

TEST_F(SideBySide, WithoutALogo) {
  if (kSlowBuild) GTEST_SKIP() << "left to the build without sanitizers";
  ExpectAllButTheFirstPartial(RunBothWays(203, 117, nullptr, 8));
}

TEST_F(SideBySide, TooManyMovingPixelsToFollowFallsBackToWholePutsAndReturns) {
  if (kSlowBuild) GTEST_SKIP() << "left to the build without sanitizers";
  // Room for one frame's particles and a few thousand pixels more. The
  // first frames leave the whole logo moving; later on the particles that
  // land on it leave about as many moving as there is room for.
  Image logo = RandomLogo(301, 201, 3, {64, 128, 192});
  ASSERT_NE(logo, nullptr);
  const std::vector<bool> partialPuts =
      RunBothWays(1001, 601, logo.get(), 9, kParticleCount + kFallbackRoom);
  int fallbacks = 0, returns = 0;
  for (size_t f = 1; f < partialPuts.size(); ++f) {
    fallbacks += partialPuts[f - 1] && !partialPuts[f];
    returns += !partialPuts[f - 1] && partialPuts[f];
  }
  EXPECT_FALSE(partialPuts[1]);
  EXPECT_GT(fallbacks, 0);
  EXPECT_GT(returns, fallbacks - 1);
}

TEST_F(SideBySide, FramesOfBothKindsInAnyOrder) {
  // As the frame loop's trials mix them: runs of each kind, and single frames.
  Image logo = RandomLogo(97, 61, 4, {0, 100, 200, 255});
  ASSERT_NE(logo, nullptr);
  const std::vector<bool> partialPuts = RunBothWays(
      kSlowBuild ? 97 : 157, kSlowBuild ? 61 : 99, logo.get(), 11, kTrackedPixels,
      [](int f) { return f % 23 >= 7 && f % 5 != 0; });
  EXPECT_GT(std::count(partialPuts.begin(), partialPuts.end(), true), kFrames / 3);
}

TEST_F(SideBySide, TheRealLogo) {
  Image logo = RealLogo();
  ASSERT_NE(logo, nullptr);
  if (kSlowBuild) {
    // The logo's top-left part only, on a smaller desktop.
    ExpectAllButTheFirstPartial(RunBothWays(301, 181, logo.get(), 10));
    return;
  }
  const uint32_t sizes[][2] = {{1439, 899}, {1440, 900}, {1441, 901}};
  uint32_t seed = 20;
  for (const auto& size : sizes) {
    SCOPED_TRACE(testing::Message() << size[0] << " x " << size[1]);
    ExpectAllButTheFirstPartial(RunBothWays(size[0], size[1], logo.get(), ++seed));
    if (HasFailure()) return;
  }
}

}  // namespace

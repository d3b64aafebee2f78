// A desktop of several monitors: the layout worked out from the monitors'
// rectangles, and the backdrop composed for it (the logo at every monitor's
// top-left corner, clipped to that monitor). One monitor must give exactly
// the saver of a single screen.
#include "app/desktop_layout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <vector>

#include "app/saver_state.h"
#include "app/snowfall.h"
#include "raster/raster.h"
#include "runtime/runtime.h"
#include "tests/app/snowfall_reference.h"

bool operator==(const SaverRect& a, const SaverRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
std::ostream& operator<<(std::ostream& out, const SaverRect& r) {
  return out << "(" << r.left << ", " << r.top << ")-(" << r.right << ", " << r.bottom << ")";
}

namespace {

struct RuntimeUp {
  RuntimeUp() { RuntimeInit(); }
} runtimeUp;

constexpr uint32_t kBlue = 0xFF0000FFu;

std::vector<SaverRect> Monitors(const DesktopLayout& layout) {
  return std::vector<SaverRect>(layout.monitors, layout.monitors + layout.monitorCount);
}

void ExpectEmpty(const DesktopLayout& layout) {
  EXPECT_EQ(layout.monitorCount, 0);
  EXPECT_EQ(layout.desktop, (SaverRect{0, 0, 0, 0}));
  EXPECT_EQ(layout.previewWidth, 0);
  EXPECT_EQ(layout.previewHeight, 0);
}

// ---- the layout ---------------------------------------------------------------------

TEST(LayOutDesktop, OneMonitorAtTheOriginIsTheWholeFrameWithOneLogoAtItsCorner) {
  const SaverRect screen{0, 0, 1440, 900};
  DesktopLayout layout = LayOutDesktop(&screen, 1, 0);
  EXPECT_EQ(layout.desktop, screen);
  EXPECT_EQ(Monitors(layout), (std::vector<SaverRect>{screen}));
  EXPECT_EQ(layout.previewWidth, 1440);
  EXPECT_EQ(layout.previewHeight, 900);

  DesktopLayout single = SingleMonitorLayout(1440, 900);
  EXPECT_EQ(single.desktop, screen);
  EXPECT_EQ(Monitors(single), (std::vector<SaverRect>{screen}));
  EXPECT_EQ(single.previewWidth, 1440);
}

TEST(LayOutDesktop, MonitorsRightOfThePrimaryWidenTheFrameAndMonitorsApartLeaveAGap) {
  const SaverRect sideBySide[] = {{0, 0, 1200, 900}, {1200, 0, 2200, 700}};
  DesktopLayout layout = LayOutDesktop(sideBySide, 2, 0);
  EXPECT_EQ(layout.desktop, (SaverRect{0, 0, 2200, 900}));
  EXPECT_EQ(Monitors(layout), (std::vector<SaverRect>{sideBySide[0], sideBySide[1]}));
  EXPECT_EQ(layout.previewWidth, 1200);
  EXPECT_EQ(layout.previewHeight, 900);

  const SaverRect apart[] = {{0, 0, 800, 600}, {1000, 200, 1640, 680}};
  layout = LayOutDesktop(apart, 2, 0);
  EXPECT_EQ(layout.desktop, (SaverRect{0, 0, 1640, 680}));
  EXPECT_EQ(Monitors(layout), (std::vector<SaverRect>{apart[0], apart[1]}));
}

TEST(LayOutDesktop, MonitorsLeftOfAndAboveThePrimaryMoveTheFrameOriginNegative) {
  // A monitor left of the primary, lower down, listed first; another above.
  const SaverRect monitors[] = {{-1000, 100, 0, 800}, {0, 0, 1200, 900}, {100, -768, 1124, 0}};
  DesktopLayout layout = LayOutDesktop(monitors, 3, 1);
  EXPECT_EQ(layout.desktop, (SaverRect{-1000, -768, 1200, 900}));
  EXPECT_EQ(Monitors(layout),
            (std::vector<SaverRect>{
                {0, 868, 1000, 1568}, {1000, 768, 2200, 1668}, {1100, 0, 2124, 768}}));
  EXPECT_EQ(layout.previewWidth, 1200);
  EXPECT_EQ(layout.previewHeight, 900);
}

TEST(LayOutDesktop, NoUsableMonitorGivesAnEmptyLayout) {
  const SaverRect unusable[] = {{0, 0, 0, 900}, {10, 10, 5, 20}, {0, 0, 70000, 10}};
  ExpectEmpty(LayOutDesktop(nullptr, 2, 0));
  ExpectEmpty(LayOutDesktop(unusable, 0, 0));
  ExpectEmpty(LayOutDesktop(unusable, -3, 0));
  ExpectEmpty(LayOutDesktop(unusable, 3, 0));
  ExpectEmpty(SingleMonitorLayout(0, 900));
  ExpectEmpty(SingleMonitorLayout(-1440, -900));
}

TEST(LayOutDesktop, UnusableRectanglesAreLeftOutAndABadPrimaryFallsToTheFirstUsable) {
  const SaverRect monitors[] = {{5, 5, 5, 5},                  // no area
                                {500, 0, 1300, 600},
                                {INT32_MIN, 0, INT32_MAX, 1},  // wider than any frame
                                {-640, 0, 0, 480}};
  for (int32_t primary : {-1, 0, 2, 4, 99}) {
    DesktopLayout layout = LayOutDesktop(monitors, 4, primary);
    EXPECT_EQ(layout.desktop, (SaverRect{-640, 0, 1300, 600})) << primary;
    EXPECT_EQ(Monitors(layout), (std::vector<SaverRect>{{1140, 0, 1940, 600}, {0, 0, 640, 480}}));
    EXPECT_EQ(layout.previewWidth, 800) << primary;
    EXPECT_EQ(layout.previewHeight, 600) << primary;
  }
  EXPECT_EQ(LayOutDesktop(monitors, 4, 3).previewWidth, 640);
}

TEST(LayOutDesktop, ADesktopTooLargeForOneFrameIsCoveredByAShrunkFrame) {
  const SaverRect monitors[] = {
      {-40000, 0, -38000, 1000}, {0, 0, 1920, 1080}, {30000, 0, 31000, 800}};
  DesktopLayout layout = LayOutDesktop(monitors, 3, 1);
  EXPECT_EQ(layout.desktop, (SaverRect{-40000, 0, 31000, 1080}));
  EXPECT_EQ(layout.monitorCount, 3);
  EXPECT_EQ(layout.previewWidth, 1920);
  // 71000 pixels wide: halved, the frame holds it, with the logos.
  const Coverage fit = FitToMemory(layout, [](const uint64_t*, int32_t) { return true; });
  EXPECT_EQ(fit.step, 2);
  EXPECT_FALSE(fit.plainField);
  EXPECT_EQ(fit.layout.desktop, (SaverRect{-40000, 0, -40000 + 35500, 540}));
  EXPECT_EQ(fit.layout.monitors[1], (SaverRect{20000, 0, 20960, 540}));
}

// A wall of 24 monitors in a row: all are covered, and the logos stop at
// the limit, but never leave out the primary monitor.
TEST(LayOutDesktop, EveryMonitorIsCoveredAndTheLogosStopAtTheLimit) {
  std::vector<SaverRect> row;
  for (int32_t i = 0; i < 24; ++i) row.push_back({i * 100, 0, i * 100 + 100, 50});
  DesktopLayout layout = LayOutDesktop(row.data(), 24, 2);
  EXPECT_EQ(layout.desktop, (SaverRect{0, 0, 2400, 50}));
  ASSERT_EQ(layout.monitorCount, kMaxLogos);
  EXPECT_EQ(layout.monitors[kMaxLogos - 1], (SaverRect{1500, 0, 1600, 50}));
  layout = LayOutDesktop(row.data(), 24, 20);
  EXPECT_EQ(layout.desktop, (SaverRect{0, 0, 2400, 50}));
  EXPECT_EQ(layout.monitors[0], (SaverRect{0, 0, 100, 50}));
  EXPECT_EQ(layout.monitors[kMaxLogos - 1], (SaverRect{2000, 0, 2100, 50}));
}

// ---- the backdrop on such a desktop -------------------------------------------------------

class MonitorBackdrop : public ::testing::Test {
 protected:
  void TearDown() override {
    for (void* image : images_) std::free(image);
  }

  // Sizes the FrameBuffer to the layout, as the snapshot does.
  void SetUpLayout(const DesktopLayout& layout) {
    SaverStateClear();
    saverState.layout = layout;
    saverState.width = static_cast<uint32_t>(layout.desktop.right - layout.desktop.left);
    saverState.height = static_cast<uint32_t>(layout.desktop.bottom - layout.desktop.top);
    SetScreenMode(static_cast<int32_t>(saverState.width), static_cast<int32_t>(saverState.height),
                  32, 1, -1, 0);
    ASSERT_NE(ScreenPointer(), nullptr);
  }

  // A logo whose every pixel differs, with alpha from clear to opaque.
  ImageBuffer* MakeLogo(int32_t width, int32_t height) {
    ImageBuffer* image = ImageCreate(width, height, 0, 32, 0);
    EXPECT_NE(image, nullptr);
    Keep(image);
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x) Pixel(image, x, y) = LogoPixel(x, y);
    return image;
  }
  static uint32_t LogoPixel(int32_t x, int32_t y) {
    return (static_cast<uint32_t>(x * 37 + y * 11) << 24) |
           static_cast<uint32_t>(x * 0x10203 + y * 0x301);
  }

  std::unique_ptr<Snowfall> Compose(ImageBuffer* logo) {
    Randomize(0.0, kRandomAutomatic);
    auto snowfall = std::make_unique<Snowfall>();
    SnowfallSetup(*snowfall, logo);
    Keep(snowfall->backdrop);
    return snowfall;
  }

  static uint32_t& Pixel(ImageBuffer* image, int32_t x, int32_t y) {
    auto* header = HeaderOf(image);
    auto* pixels = reinterpret_cast<uint8_t*>(image) + kImageHeaderSize;
    return reinterpret_cast<uint32_t*>(pixels + y * header->pitch)[x];
  }

  std::vector<uint32_t> Pixels(ImageBuffer* image) {
    const auto* header = HeaderOf(image);
    std::vector<uint32_t> all;
    for (uint32_t y = 0; y < header->height; ++y)
      for (uint32_t x = 0; x < header->width; ++x)
        all.push_back(Pixel(image, static_cast<int32_t>(x), static_cast<int32_t>(y)));
    return all;
  }

  void Keep(ImageBuffer* image) {
    if (image) images_.push_back(image);
  }

 private:
  std::vector<ImageBuffer*> images_;
};

TEST_F(MonitorBackdrop, OneMonitorGivesTheSingleScreenBackdropAndParticlesBitForBit) {
  // Logos smaller than, as large as, and larger than the screen.
  for (int32_t logoSide : {20, 64, 90}) {
    DesktopLayout none{};
    none.desktop = SaverRect{0, 0, 64, 48};
    SetUpLayout(none);  // no monitor listed: the single-screen composition
    ImageBuffer* logo = MakeLogo(logoSide, logoSide * 3 / 4);
    auto before = Compose(logo);
    SetUpLayout(SingleMonitorLayout(64, 48));
    auto now = Compose(logo);

    std::vector<uint32_t> pixels = Pixels(now->backdrop);
    EXPECT_EQ(pixels, Pixels(before->backdrop)) << "logo side " << logoSide;
    for (int32_t y = 0; y < 48; ++y)
      for (int32_t x = 0; x < 64; ++x) {
        uint32_t expected =
            x < logoSide && y < logoSide * 3 / 4 ? ReferenceBlend(LogoPixel(x, y), kBlue) : kBlue;
        ASSERT_EQ(pixels[y * 64 + x], expected) << x << "," << y << " logo side " << logoSide;
      }
    for (int32_t i = 0; i < kParticleCount; ++i) {
      ASSERT_EQ(now->storage[i].x, before->storage[i].x) << i;
      ASSERT_EQ(now->storage[i].y, before->storage[i].y) << i;
      ASSERT_EQ(now->storage[i].dx, before->storage[i].dx) << i;
      ASSERT_EQ(now->storage[i].dy, before->storage[i].dy) << i;
    }
  }
}

TEST_F(MonitorBackdrop, EveryMonitorShowsTheLogoAtItsCornerClippedToItselfAndGapsStayBlue) {
  // Side by side, the left one lower and narrower than the logo, so an
  // unclipped logo would spill onto its neighbour; a third one apart.
  const SaverRect monitors[] = {{0, 0, 50, 40}, {-30, 10, 0, 60}, {60, 0, 100, 30}};
  SetUpLayout(LayOutDesktop(monitors, 3, 0));
  ASSERT_EQ(saverState.width, 130u);
  ASSERT_EQ(saverState.height, 60u);
  const int32_t logoWidth = 36, logoHeight = 34;
  ImageBuffer* logo = MakeLogo(logoWidth, logoHeight);
  auto snowfall = Compose(logo);
  ASSERT_EQ(HeaderOf(snowfall->backdrop)->width, 130u);

  const SaverRect inFrame[] = {{30, 0, 80, 40}, {0, 10, 30, 60}, {90, 0, 130, 30}};
  for (int32_t y = 0; y < 60; ++y) {
    for (int32_t x = 0; x < 130; ++x) {
      uint32_t expected = kBlue;
      for (const SaverRect& m : inFrame) {
        int32_t lx = x - m.left, ly = y - m.top;
        if (x < m.right && y < m.bottom && lx >= 0 && ly >= 0 && lx < logoWidth && ly < logoHeight)
          expected = ReferenceBlend(LogoPixel(lx, ly), kBlue);
      }
      ASSERT_EQ(Pixel(snowfall->backdrop, x, y), expected) << x << "," << y;
    }
  }
  // The left monitor's logo is cut at its right edge: its neighbour's first
  // column shows that neighbour's own logo.
  EXPECT_EQ(Pixel(snowfall->backdrop, 30, 20), ReferenceBlend(LogoPixel(0, 20), kBlue));
}

// A 3 x 3 wall of 4K monitors, the primary in the middle, in a process
// that can hold `room` bytes in all.
uint64_t room;
bool HoldsWithinRoom(const uint64_t* sizes, int32_t count) {
  uint64_t total = 0;
  for (int32_t i = 0; i < count; ++i) total += sizes[i];
  return total <= room;
}

TEST(FitToMemory, GivesUpTheLogoFirstThenShrinksTheWholeWallByOneFactor) {
  SaverRect wall[9];
  for (int32_t i = 0; i < 9; ++i) {
    const int32_t left = (i % 3 - 1) * 3840, top = (i / 3 - 1) * 2160;
    wall[i] = {left, top, left + 3840, top + 2160};
  }
  const DesktopLayout layout = LayOutDesktop(wall, 9, 4);
  const uint64_t frame = uint64_t{11520} * 6480 * 4;

  room = 4 * frame;  // the frame, the backdrop, the snapshot and the window
  Coverage fit = FitToMemory(layout, HoldsWithinRoom);
  EXPECT_FALSE(fit.plainField);
  EXPECT_EQ(fit.layout.desktop, layout.desktop);
  EXPECT_EQ(fit.layout.monitorCount, 9);

  room = 4 * frame - 1;
  fit = FitToMemory(layout, HoldsWithinRoom);
  EXPECT_TRUE(fit.plainField);
  EXPECT_EQ(fit.layout.desktop, layout.desktop);

  room = 3 * frame - 1;  // the window still covers the wall
  fit = FitToMemory(layout, HoldsWithinRoom);
  EXPECT_FALSE(fit.plainField);
  EXPECT_EQ(fit.layout.desktop, (SaverRect{-3840, -2160, -3840 + 5760, -2160 + 3240}));
  ASSERT_EQ(fit.layout.monitorCount, 9);
  for (int32_t i = 0; i < 9; ++i) {
    const int32_t left = i % 3 * 1920, top = i / 3 * 1080;
    EXPECT_EQ(fit.layout.monitors[i], (SaverRect{left, top, left + 1920, top + 1080})) << i;
  }
  // An allocation that fails at this step goes on from the next one.
  const Coverage next = FitToMemory(layout, HoldsWithinRoom, fit.step + 1);
  EXPECT_TRUE(next.plainField);
  EXPECT_EQ(next.layout.desktop, fit.layout.desktop);

  room = 0;  // nothing fits: a plain field of one pixel, then nothing
  fit = FitToMemory(layout, HoldsWithinRoom);
  EXPECT_TRUE(fit.plainField);
  EXPECT_EQ(fit.layout.desktop, (SaverRect{-3840, -2160, -3839, -2159}));
  EXPECT_EQ(FitToMemory(layout, HoldsWithinRoom, fit.step + 1).step, -1);
}

// A row of six monitors keeps each monitor's shape when shrunk: the frame
// is not the primary monitor stretched six-fold.
TEST(ShrinkLayout, EveryMonitorKeepsItsShapeAndItsPlace) {
  SaverRect row[6];
  for (int32_t i = 0; i < 6; ++i) row[i] = {i * 1920, 0, i * 1920 + 1920, 1080};
  const DesktopLayout shrunk = ShrinkLayout(LayOutDesktop(row, 6, 0), 4);
  EXPECT_EQ(shrunk.desktop, (SaverRect{0, 0, 2880, 270}));
  ASSERT_EQ(shrunk.monitorCount, 6);
  for (int32_t i = 0; i < 6; ++i) {
    EXPECT_EQ(shrunk.monitors[i], (SaverRect{i * 480, 0, i * 480 + 480, 270})) << i;
  }
}

TEST_F(MonitorBackdrop, WithoutALogoEveryMonitorIsPlainBlue) {
  const SaverRect monitors[] = {{0, 0, 40, 30}, {40, 0, 70, 20}};
  SetUpLayout(LayOutDesktop(monitors, 2, 0));
  auto snowfall = Compose(nullptr);
  EXPECT_EQ(Pixels(snowfall->backdrop), std::vector<uint32_t>(70 * 30, kBlue));
}

}  // namespace

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

TEST(LayOutDesktop, ADesktopTooLargeForOneFrameIsThePrimaryMonitorAlone) {
  const SaverRect monitors[] = {
      {-40000, 0, -38000, 1000}, {0, 0, 1920, 1080}, {30000, 0, 31000, 800}};
  DesktopLayout layout = LayOutDesktop(monitors, 3, 1);
  EXPECT_EQ(layout.desktop, monitors[1]);
  EXPECT_EQ(Monitors(layout), (std::vector<SaverRect>{{0, 0, 1920, 1080}}));
  EXPECT_EQ(layout.previewWidth, 1920);
  // The largest desktop a frame holds is still laid out whole.
  const SaverRect widest[] = {{-32768, 0, 0, 10}, {0, 0, 32767, 10}};
  EXPECT_EQ(LayOutDesktop(widest, 2, 1).monitorCount, 2);
}

TEST(LayOutDesktop, ReadsNoMoreThanTheMonitorLimit) {
  std::vector<SaverRect> row;
  for (int32_t i = 0; i < kMaxMonitors + 4; ++i) row.push_back({i * 100, 0, i * 100 + 100, 50});
  DesktopLayout layout = LayOutDesktop(row.data(), static_cast<int32_t>(row.size()), 0);
  EXPECT_EQ(layout.monitorCount, kMaxMonitors);
  EXPECT_EQ(layout.desktop, (SaverRect{0, 0, kMaxMonitors * 100, 50}));
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

TEST(FitToMemory, GivesUpTheLogoBeforeAnyMonitorAndThePrimaryAloneLast) {
  SaverRect wall[9];
  for (int32_t i = 0; i < 9; ++i) {
    const int32_t left = (i % 3 - 1) * 3840, top = (i / 3 - 1) * 2160;
    wall[i] = {left, top, left + 3840, top + 2160};
  }
  const DesktopLayout layout = LayOutDesktop(wall, 9, 4);
  const uint64_t frame = uint64_t{11520} * 6480 * 4, primary = uint64_t{3840} * 2160 * 4;

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
  EXPECT_EQ(fit.layout.desktop, (SaverRect{0, 0, 3840, 2160}));
  EXPECT_EQ(fit.layout.monitorCount, 1);

  room = frame + 2 * primary / 4;  // a quarter of the primary's frame, twice
  fit = FitToMemory(layout, HoldsWithinRoom);
  EXPECT_TRUE(fit.plainField);
  EXPECT_EQ(fit.layout.desktop, (SaverRect{0, 0, 1920, 1080}));
}

TEST_F(MonitorBackdrop, WithoutALogoEveryMonitorIsPlainBlue) {
  const SaverRect monitors[] = {{0, 0, 40, 30}, {40, 0, 70, 20}};
  SetUpLayout(LayOutDesktop(monitors, 2, 0));
  auto snowfall = Compose(nullptr);
  EXPECT_EQ(Pixels(snowfall->backdrop), std::vector<uint32_t>(70 * 30, kBlue));
}

}  // namespace

// Coordinates, colours and the drawing primitives: rounding, relative
// points, clipping on every side, boxes, lines and outlines.
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "raster/blend.h"
#include "raster_fixture.h"

namespace {

using ImagePtr = std::unique_ptr<ImageBuffer, FreeImage>;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kBlack = 0xFF000000u;

// ---- coordinates -----------------------------------------------------------------

TEST(RoundCoordinateTest, HalvesRoundAwayFromZero) {
  EXPECT_EQ(RoundCoordinate(0.49f), 0);
  EXPECT_EQ(RoundCoordinate(0.5f), 1);
  EXPECT_EQ(RoundCoordinate(-0.5f), -1);
  EXPECT_EQ(RoundCoordinate(-0.49f), 0);
  EXPECT_EQ(RoundCoordinate(1.5f), 2);
  EXPECT_EQ(RoundCoordinate(2.5f), 3);
  EXPECT_EQ(RoundCoordinate(-2.5f), -3);
  EXPECT_EQ(RoundCoordinate(0.0f), 0);
  EXPECT_EQ(RoundCoordinate(-0.0f), 0);
  EXPECT_EQ(RoundCoordinate(1365.5f), 1366);
}

TEST(RoundCoordinateTest, TheSumIsExactNotRoundedInFloat) {
  // In float, 0.49999997 + 0.5 rounds up to 1.0.
  EXPECT_EQ(RoundCoordinate(std::nextafter(0.5f, 0.0f)), 0);
  EXPECT_EQ(RoundCoordinate(-std::nextafter(0.5f, 0.0f)), 0);
  EXPECT_EQ(RoundCoordinate(8388609.0f), 8388609);  // 2^23 + 1
  EXPECT_EQ(RoundCoordinate(std::nextafter(8388608.5f, 0.0f)), 8388608);
}

TEST(RoundCoordinateTest, OutOfRangeValuesAreClampedFarOutsideAnyTarget) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(RoundCoordinate(inf), kCoordinateLimit);
  EXPECT_EQ(RoundCoordinate(-inf), -kCoordinateLimit);
  EXPECT_EQ(RoundCoordinate(nan), -kCoordinateLimit);
  EXPECT_EQ(RoundCoordinate(3.0e38f), kCoordinateLimit);
  EXPECT_EQ(RoundCoordinate(-3.0e38f), -kCoordinateLimit);
  EXPECT_EQ(RoundCoordinate(4.0e9f), kCoordinateLimit);
  EXPECT_GT(kCoordinateLimit, kMaxImageSide);
}

TEST(ConvertColourTest, ConvertsToThePixelSize) {
  EXPECT_EQ(ConvertColour(4, 0x00FFFFFFu), 0x00FFFFFFu);
  EXPECT_EQ(ConvertColour(4, 0xFF0000FFu), 0xFF0000FFu);
  EXPECT_EQ(ConvertColour(2, 0xFFFF0000u), 0xF800u);
  EXPECT_EQ(ConvertColour(2, 0x0000FF00u), 0x07E0u);
  EXPECT_EQ(ConvertColour(2, 0x000000FFu), 0x001Fu);
  EXPECT_EQ(ConvertColour(2, 0x00FF8040u), 0xFC08u);
  EXPECT_EQ(ConvertColour(1, 0x123456ABu), 0xABu);
}

TEST(ApplyRelativeTest, EachModeAddsTheRightPoints) {
  DrawContext context = {};
  struct Case {
    int32_t flags;
    float x1, y1, x2, y2;
  };
  // Last point (10, 20); points (1, 2) and (3, 4).
  for (const Case& c : {Case{0, 1, 2, 3, 4}, Case{4, 1, 2, 3, 4}, Case{6, 1, 2, 3, 4},
                        Case{7, 1, 2, 3, 4}, Case{1, 1, 2, 4, 6}, Case{2, 11, 22, 3, 4},
                        Case{5, 11, 22, 3, 4}, Case{3, 11, 22, 14, 26},
                        Case{static_cast<int32_t>(0x80000002u), 11, 22, 3, 4}}) {
    context.lastX = 10;
    context.lastY = 20;
    float x1 = 1, y1 = 2, x2 = 3, y2 = 4;
    ApplyRelative(&context, c.flags, &x1, &y1, &x2, &y2);
    EXPECT_EQ(x1, c.x1) << c.flags;
    EXPECT_EQ(y1, c.y1) << c.flags;
    EXPECT_EQ(x2, c.x2) << c.flags;
    EXPECT_EQ(y2, c.y2) << c.flags;
    EXPECT_EQ(context.lastX, c.x2) << c.flags;
    EXPECT_EQ(context.lastY, c.y2) << c.flags;
  }
  // One point: the second-point parts do not apply; the last point is the first.
  context.lastX = 10;
  context.lastY = 20;
  float x = 1, y = 2;
  ApplyRelative(&context, 3, &x, &y, nullptr, nullptr);
  EXPECT_EQ(x, 11);
  EXPECT_EQ(y, 22);
  EXPECT_EQ(context.lastX, 11);
  EXPECT_EQ(context.lastY, 22);
}

TEST(TransformPointTest, AddsTheClipOrigin) {
  DrawContext context = {};
  context.viewX = 5;
  context.viewY = -3;
  const PixelPoint point = TransformPoint(&context, 1.5f, -0.5f);
  EXPECT_EQ(point.x, 7);
  EXPECT_EQ(point.y, -4);
}

TEST(TruncateToInt32Test, TruncatesTowardZeroAsTruncDoes) {
  std::vector<double> values = {0.0,        -0.0,          0.5,          -0.5,
                                0.99999999, -0.99999999,   1.5,          -2.5,
                                1073741824, -1073741824.5, 2147483647.0, -2147483648.0,
                                2147483646.75, -2147483647.75};
  std::mt19937 random(8);
  std::uniform_real_distribution<double> anywhere(-2147483648.0, 2147483647.0);
  for (int i = 0; i < 100000; ++i) values.push_back(anywhere(random));
  for (double v : values) {
    ASSERT_EQ(TruncateToInt32(v), static_cast<int32_t>(std::trunc(v))) << v;
  }
}

TEST(RoundsIntoTest, AgreesWithRoundCoordinateOnEveryKindOfFloat) {
  auto check = [](float v, int32_t limit) {
    const int32_t rounded = RoundCoordinate(v);
    uint32_t into = 0;
    const bool inside = RoundsInto(v, limit, &into);
    ASSERT_EQ(inside, rounded >= 0 && rounded < limit) << v << " below " << limit;
    if (inside) {
      ASSERT_EQ(into, static_cast<uint32_t>(rounded)) << v;
    }
  };
  // Every whole and half value from -2 to past the limit, with the 32
  // floats on either side of each; an empty view and a negative size take
  // nothing.
  for (const int32_t limit : {1080, 1, 0, -3}) {
    for (int32_t half = -4; half <= 2 * 1082; ++half) {
      float below = static_cast<float>(half) / 2.0f, above = below;
      check(below, limit);
      for (int i = 0; i < 32; ++i) {
        below = std::nextafter(below, -1e9f);
        above = std::nextafter(above, 1e9f);
        check(below, limit);
        check(above, limit);
      }
    }
  }
  // NaNs, infinities, huge and tiny values, and the largest limit: floats
  // at and past 2^31 do not fit the truncating conversion.
  std::mt19937 random(5);
  for (int i = 0; i < 1000000; ++i) {
    const uint32_t bits = static_cast<uint32_t>(random());
    float v;
    std::memcpy(&v, &bits, sizeof v);
    check(v, 1080);
    check(v, kCoordinateLimit);
  }
  for (const float v : {1073741760.0f, 1073741824.0f, 2147483648.0f, 4294967296.0f, -0.5f}) {
    check(v, kCoordinateLimit);
  }
}

// ---- PixelSet ----------------------------------------------------------------------

class PixelSetTest : public RasterTest {
 protected:
  void SetUp() override {
    RasterTest::SetUp();
    SetMode(8, 4);
  }
  // Columns of row y that are not black, as a string of 0s and 1s.
  static std::string Row(int32_t y) {
    std::string row;
    for (int32_t x = 0; x < CurrentScreenMode()->width; ++x) {
      row += ScreenPixel(x, y) == kBlack ? '0' : '1';
    }
    return row;
  }
};

TEST_F(PixelSetTest, RoundsToTheNearestColumnAndClipsAtBothEnds) {
  PixelSet(nullptr, 0.49f, 0, kWhite, 4, 0);
  EXPECT_EQ(Row(0), "10000000");
  PixelSet(nullptr, 0.5f, 1, kWhite, 4, 0);
  EXPECT_EQ(Row(1), "01000000");
  PixelSet(nullptr, -0.5f, 2, kWhite, 4, 0);
  PixelSet(nullptr, 7.5f, 2, kWhite, 4, 0);  // column 8: clipped
  PixelSet(nullptr, 8.0f, 2, kWhite, 4, 0);  // a particle exactly at the width
  EXPECT_EQ(Row(2), "00000000");
  PixelSet(nullptr, 7.49f, 3, kWhite, 4, 0);
  EXPECT_EQ(Row(3), "00000001");
}

TEST_F(PixelSetTest, ClipsAboveAndBelowAndFarOutside) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (float y : {-0.5f, 3.5f, 4.0f, -1e30f, 1e30f, inf, -inf, nan}) {
    PixelSet(nullptr, 2, y, kWhite, 4, 0);
  }
  for (float x : {1e30f, -1e30f, inf, -inf, nan, 2147483648.0f, -2147483904.0f}) {
    PixelSet(nullptr, x, 1, kWhite, 4, 0);
  }
  for (int32_t y = 0; y < 4; ++y) EXPECT_EQ(Row(y), "00000000") << y;
}

TEST_F(PixelSetTest, AClippedPixelStillSetsTheLastPoint) {
  PixelSet(nullptr, -20.0f, 1.0f, kWhite, 4, 0);
  DrawContext* context = GetDrawContext();
  EXPECT_EQ(context->lastX, -20.0f);
  EXPECT_EQ(context->lastY, 1.0f);
  PixelSet(nullptr, 23.0f, 1.0f, kWhite, 2, 0);  // relative: lands on (3, 2)
  EXPECT_EQ(Row(2), "00010000");
}

// 0.5 less 2^-26 is no float: the sum rounds to 0.5, and so to pixel 1. A
// sum kept at the x87 unit's precision would round to pixel 0.
TEST_F(PixelSetTest, ARelativePointIsTheFloatSum) {
  const float nudge = -1.0f / 67108864.0f;  // -2^-26
  ImagePtr image(ImageCreate(8, 4, 0, 32, 0));
  ASSERT_NE(image, nullptr);
  for (ImageBuffer* target : {static_cast<ImageBuffer*>(nullptr), image.get()}) {
    PixelSet(target, 0.5f, 2.5f, 0xFF000001u, 4, 0);
    PixelSet(target, nudge, nudge, kWhite, 2, 0);
    EXPECT_EQ(GetDrawContext()->lastX, 0.5f);
    EXPECT_EQ(GetDrawContext()->lastY, 2.5f);
  }
  EXPECT_EQ(ScreenPixel(1, 3), kWhite);
  EXPECT_EQ(ImagePixel32(image.get(), 1, 3), kWhite);
}

TEST_F(PixelSetTest, StoresTheColourWordUnblended) {
  SetScreenPixel(4, 1, 0xFF336699u);
  PixelSet(nullptr, 4, 1, 0x00FFFFFFu, 4, 0);
  EXPECT_EQ(ScreenPixel(4, 1), 0x00FFFFFFu);
}

TEST_F(PixelSetTest, ColourNotGivenUsesForegroundOrBackground) {
  const int32_t notGiven = static_cast<int32_t>(0x80000000u);
  PixelSet(nullptr, 1, 1, 0x12345678u, notGiven, 0);
  EXPECT_EQ(ScreenPixel(1, 1), kWhite);
  PixelSet(nullptr, 1, 1, 0x12345678u, notGiven, 1);
  EXPECT_EQ(ScreenPixel(1, 1), kBlack);
}

TEST_F(PixelSetTest, MarksOnlyItsRowOnTheScreenAndNoneOnAnImage) {
  ClearDirtyRows();
  PixelSet(nullptr, 1, 2, kWhite, 4, 0);
  EXPECT_EQ(DirtyRows(), "0010");
  ImagePtr image(ImageCreate(4, 4, 0, 32, 0));
  ClearDirtyRows();
  PixelSet(image.get(), 1, 2, kWhite, 4, 0);
  EXPECT_EQ(DirtyRows(), "0000");
  EXPECT_EQ(ImagePixel32(image.get(), 1, 2), kWhite);
}

TEST_F(PixelSetTest, WritesSixteenAndEightBitPixels) {
  SetMode(4, 2, 16);
  PixelSet(nullptr, 1, 1, 0x00FF8040u, 4, 0);
  const ScreenMode* mode = CurrentScreenMode();
  const uint8_t* pixel = mode->frameBuffer + mode->pitch + 2;
  EXPECT_EQ(pixel[0] | (pixel[1] << 8), 0xFC08);
  EXPECT_EQ(mode->frameBuffer[mode->pitch + 4], 0);  // the neighbour is untouched
  SetMode(4, 2, 8);
  PixelSet(nullptr, 3, 1, 0x123456ABu, 4, 0);
  EXPECT_EQ(CurrentScreenMode()->frameBuffer[4 + 3], 0xAB);
  EXPECT_EQ(CurrentScreenMode()->frameBuffer[4 + 2], 0);
}

// A colour given on the screen takes a shorter path than the same call on
// an image; both must set the same pixels and leave the same last point,
// through rounding, clipping, relative points and odd values alike.
TEST_F(PixelSetTest, TheScreenGetsWhatAnImageOfItsSizeGets) {
  constexpr int32_t kWidth = 37, kHeight = 23;
  SetMode(kWidth, kHeight);
  ImagePtr image(ImageCreate(kWidth, kHeight, 0, 32, 0));
  ASSERT_NE(image, nullptr);
  for (int32_t y = 0; y < kHeight; ++y) {
    for (int32_t x = 0; x < kWidth; ++x) {
      SetScreenPixel(x, y, 0xFF000000u);
      SetImagePixel32(image.get(), x, y, 0xFF000000u);
    }
  }
  const float inf = std::numeric_limits<float>::infinity();
  const float odd[] = {-0.5f,   -0.49999997f, -0.0f, 0.49999997f, 36.5f, 36.49999f,
                       22.5f,   1e30f,        -1e30f, inf,        -inf,  std::nanf(""),
                       -20.25f, 2147483648.0f};
  struct Call {
    float x, y;
    uint32_t colour;
    int32_t flags;
  };
  std::mt19937 random(11);
  std::vector<Call> calls;
  for (int i = 0; i < 4000; ++i) {
    auto coordinate = [&](int32_t size) {
      if (random() % 8 == 0) return odd[random() % (sizeof odd / sizeof odd[0])];
      return static_cast<float>(static_cast<int32_t>(random() % (4 * (size + 6))) - 12) / 4.0f;
    };
    const float x = coordinate(kWidth), y = coordinate(kHeight);
    calls.push_back({x, y, static_cast<uint32_t>(random()), static_cast<int32_t>(random() % 8)});
  }
  // Each target from the same last point; the last points after each call.
  auto draw = [&](ImageBuffer* target) {
    DrawContext* context = GetDrawContext();
    context->lastX = 3.0f;
    context->lastY = 4.0f;
    std::vector<float> lastPoints;
    for (const Call& call : calls) {
      PixelSet(target, call.x, call.y, call.colour, call.flags, 0);
      lastPoints.push_back(context->lastX);
      lastPoints.push_back(context->lastY);
    }
    return lastPoints;
  };
  const std::vector<float> onScreen = draw(nullptr);
  const std::vector<float> onImage = draw(image.get());
  ASSERT_EQ(onScreen.size(), onImage.size());
  for (size_t i = 0; i < onScreen.size(); ++i) {
    // NaN last points are compared as the same bits.
    ASSERT_EQ(std::memcmp(&onScreen[i], &onImage[i], sizeof(float)), 0) << "call " << i / 2;
  }
  int32_t differing = 0, set = 0;
  for (int32_t y = 0; y < kHeight; ++y) {
    for (int32_t x = 0; x < kWidth; ++x) {
      differing += ScreenPixel(x, y) != ImagePixel32(image.get(), x, y);
      set += ScreenPixel(x, y) != 0xFF000000u;
    }
  }
  EXPECT_EQ(differing, 0);
  EXPECT_GT(set, kWidth * kHeight / 2) << "the calls reach most pixels";
}

// The pixel reported is the one pixel the call changed, and a call reported
// to set none changed none, at plain, relative, clipped and odd points; on
// another target the general path draws and says so. The scalar blend is
// forced: the direct path must not depend on which blend is in use.
TEST_F(PixelSetTest, OnScreenReportsThePixelItSet) {
  constexpr int32_t kWidth = 37, kHeight = 23;
  constexpr uint32_t kGround = 0xFF000000u;
  const BlendKernel chosen = ActiveBlendKernel();
  ASSERT_TRUE(ForceBlendKernel(BlendKernel::kScalar));
  SetMode(kWidth, kHeight);
  for (int32_t y = 0; y < kHeight; ++y)
    for (int32_t x = 0; x < kWidth; ++x) SetScreenPixel(x, y, kGround);
  const float odd[] = {-0.5f, -0.49999997f, 0.49999997f, 36.5f, 22.5f, 1e30f, -1e30f,
                       std::numeric_limits<float>::infinity(), std::nanf("")};
  std::mt19937 random(5);
  int32_t reportedSet = 0, reportedNone = 0;
  for (int i = 0; i < 1500; ++i) {
    auto coordinate = [&](int32_t size) {
      if (random() % 8 == 0) return odd[random() % (sizeof odd / sizeof odd[0])];
      return static_cast<float>(static_cast<int32_t>(random() % (4 * (size + 6))) - 12) / 4.0f;
    };
    const float x = coordinate(kWidth), y = coordinate(kHeight);
    const uint32_t colour = static_cast<uint32_t>(random()) | 1u;  // never the ground
    const int32_t flags = random() % 2 ? 4 : 2;                     // absolute or relative
    uint32_t point = 0xDEADBEEFu;
    const int32_t result = PixelSetOnScreen(nullptr, x, y, colour, flags, 0, &point);
    std::vector<uint32_t> changed;
    for (int32_t row = 0; row < kHeight; ++row) {
      for (int32_t column = 0; column < kWidth; ++column) {
        if (ScreenPixel(column, row) == kGround) continue;
        changed.push_back(PackPoint(column, row));
        SetScreenPixel(column, row, kGround);
      }
    }
    if (result == kPixelSetOnScreen) {
      ++reportedSet;
      ASSERT_EQ(changed, std::vector<uint32_t>{point}) << "call " << i;
    } else {
      ++reportedNone;
      ASSERT_EQ(result, kPixelSetNone) << "call " << i;
      ASSERT_TRUE(changed.empty()) << "call " << i;
    }
  }
  EXPECT_GT(reportedSet, 300);
  EXPECT_GT(reportedNone, 100);
  EXPECT_EQ(LockBits(), 0u);

  ImagePtr image(ImageCreate(4, 4, 0, 32, 0));
  ASSERT_NE(image, nullptr);
  uint32_t point = 0;
  EXPECT_EQ(PixelSetOnScreen(image.get(), 1, 2, kWhite, 4, 0, &point), kPixelSetElsewhere);
  EXPECT_EQ(ImagePixel32(image.get(), 1, 2), kWhite);
  ForceBlendKernel(chosen);
}

TEST_F(PixelSetTest, DoesNothingWithoutAMode) {
  DropScreenMode();
  DrawContext* context = GetDrawContext();
  ASSERT_NE(context, nullptr);
  context->lastX = 7.0f;
  context->lastY = 9.0f;
  SetErrorNumber(5);
  PixelSet(nullptr, 1, 1, kWhite, 4, 0);
  DrawLine(nullptr, 0, 0, 3, 3, kWhite, 2, 0xFFFF, 0);
  EXPECT_EQ(CurrentScreenMode(), nullptr);
  EXPECT_EQ(context->lastX, 7.0f);
  EXPECT_EQ(context->lastY, 9.0f);
  EXPECT_EQ(ErrorNumber(), 5);
}

// ---- boxes --------------------------------------------------------------------------

class BoxTest : public RasterTest {
 protected:
  void SetUp() override {
    RasterTest::SetUp();
    SetMode(6, 5);
  }
  static std::string Picture() {
    std::string picture;
    for (int32_t y = 0; y < CurrentScreenMode()->height; ++y) {
      for (int32_t x = 0; x < CurrentScreenMode()->width; ++x) {
        picture += ScreenPixel(x, y) == kBlack ? '.' : '#';
      }
      picture += '\n';
    }
    return picture;
  }
};

TEST_F(BoxTest, FilledBoxCornersAreInclusive) {
  DrawLine(nullptr, 1, 1, 3, 2, kWhite, 2, 0xFFFF, 0);
  EXPECT_EQ(Picture(),
            "......\n"
            ".###..\n"
            ".###..\n"
            "......\n"
            "......\n");
}

TEST_F(BoxTest, ABoxGivenInReverseFillsTheSamePixels) {
  DrawLine(nullptr, 6, 5, 0, 0, kWhite, 2, 0xFFFF, 0);
  const std::string reversed = Picture();
  SetMode(6, 5);
  DrawLine(nullptr, 0, 0, 6, 5, kWhite, 2, 0xFFFF, 0);
  EXPECT_EQ(Picture(), reversed);
  EXPECT_EQ(reversed, "######\n######\n######\n######\n######\n");
  // Each pair on its own: (x2, y1) to (x1, y2).
  SetMode(6, 5);
  DrawLine(nullptr, 4, 1, 1, 3, kWhite, 2, 0xFFFF, 0);
  EXPECT_EQ(Picture(),
            "......\n"
            ".####.\n"
            ".####.\n"
            ".####.\n"
            "......\n");
}

TEST_F(BoxTest, ClipsOnEverySide) {
  DrawLine(nullptr, -3, -2, 1, 1, kWhite, 2, 0xFFFF, 0);   // top-left
  DrawLine(nullptr, 4, 3, 1e9f, 1e9f, kWhite, 2, 0xFFFF, 0);  // bottom-right
  EXPECT_EQ(Picture(),
            "##....\n"
            "##....\n"
            "......\n"
            "....##\n"
            "....##\n");
}

TEST_F(BoxTest, ABoxWhollyOutsideDrawsNothing) {
  ClearDirtyRows();
  DrawLine(nullptr, -10, 0, -1, 4, kWhite, 2, 0xFFFF, 0);   // left
  DrawLine(nullptr, 6, 0, 9, 4, kWhite, 2, 0xFFFF, 0);      // right
  DrawLine(nullptr, 0, -5, 5, -0.6f, kWhite, 2, 0xFFFF, 0); // above
  DrawLine(nullptr, 0, 5, 5, 8, kWhite, 2, 0xFFFF, 0);      // below
  const float nan = std::numeric_limits<float>::quiet_NaN();
  DrawLine(nullptr, nan, nan, nan, nan, kWhite, 2, 0xFFFF, 0);
  EXPECT_EQ(Picture(), std::string("......\n......\n......\n......\n......\n"));
  EXPECT_EQ(DirtyRows(), "00000");
  EXPECT_EQ(LockBits(), 0u);
}

TEST_F(BoxTest, ABoxOnTheScreenMarksItsClampedRows) {
  ClearDirtyRows();
  DrawLine(nullptr, 1, 2, 3, 40, kWhite, 2, 0xFFFF, 0);
  EXPECT_EQ(DirtyRows(), "00111");
}

TEST_F(BoxTest, TheBackdropBoxFillsTheWholeImageAndMarksNoScreenRows) {
  ImagePtr backdrop(ImageCreate(7, 3, 0, 0, static_cast<int32_t>(0x80000000u)));
  ASSERT_NE(backdrop, nullptr);
  ClearDirtyRows();
  DrawLine(backdrop.get(), 0, 0, 7, 3, 0xFF0000FFu, 2, 0xFFFF, 0);
  for (int32_t y = 0; y < 3; ++y) {
    for (int32_t x = 0; x < 7; ++x) ASSERT_EQ(ImagePixel32(backdrop.get(), x, y), 0xFF0000FFu);
    // The pitch gap keeps its fill: the box stops at the image's width.
    ASSERT_EQ(ImagePixel32(backdrop.get(), 7, y), 0xFFFF00FFu);
  }
  EXPECT_EQ(DirtyRows(), "00000");
}

TEST_F(BoxTest, OutlineFollowsTheStylePattern) {
  DrawLine(nullptr, 0, 0, 4, 3, kWhite, 1, 0xFFFF, 0);
  EXPECT_EQ(Picture(),
            "#####.\n"
            "#...#.\n"
            "#...#.\n"
            "#####.\n"
            "......\n");
  SetMode(6, 5);
  DrawLine(nullptr, 0, 0, 5, 0, kWhite, 1, 0xAAAA, 0);
  EXPECT_EQ(Picture(),
            "#.#.#.\n"
            "......\n"
            "......\n"
            "......\n"
            "......\n");
}

TEST_F(BoxTest, LinesStepAlongTheMajorAxis) {
  DrawLine(nullptr, 0, 0, 5, 2, kWhite, 0, 0xFFFF, 0);
  EXPECT_EQ(Picture(),
            "##....\n"
            "..##..\n"
            "....##\n"
            "......\n"
            "......\n");
  SetMode(6, 5);
  DrawLine(nullptr, 4, 4, 4, 0, kWhite, 0, 0xFFFF, 0);
  EXPECT_EQ(Picture(),
            "....#.\n"
            "....#.\n"
            "....#.\n"
            "....#.\n"
            "....#.\n");
}

TEST_F(BoxTest, LinesFarOutsideAreClippedWithoutSteppingEveryPixel) {
  // Two billion steps if walked pixel by pixel; the clip keeps it to a few.
  DrawLine(nullptr, -1e9f, 2, 1e9f, 2, kWhite, 0, 0xFFFF, 0);
  DrawLine(nullptr, -1e9f, -1e9f, 1e9f, 1e9f, kWhite, 0, 0xFFFF, 0);
  DrawLine(nullptr, -1e9f, 100, 1e9f, 101, kWhite, 0, 0xFFFF, 0);  // never inside
  EXPECT_EQ(Picture(),
            "#.....\n"
            ".#....\n"
            "######\n"
            "...#..\n"
            "....#.\n");
}

}  // namespace

// The alpha put redone at listed points: the same pixels as the whole put
// where it blends, nothing elsewhere, the points still moving reported, and
// the lock taken and released as the whole put does it.
#include <random>
#include <vector>

#include "tests/raster/raster_fixture.h"

namespace {

class PutPointsTest : public RasterTest {
 protected:
  // A 32-bit image with random colours and the given alphas.
  ImageBuffer* RandomImage(int32_t width, int32_t height, std::vector<uint32_t> alphas) {
    ImageBuffer* image = ImageCreate(width, height, 0, 32, 0);
    EXPECT_NE(image, nullptr);
    images_.push_back(image);
    auto* pixels = BytesOf(image) + kImageHeaderSize;
    for (int32_t y = 0; y < height; ++y) {
      for (int32_t x = 0; x < width; ++x) {
        const uint32_t value = (alphas[random_() % alphas.size()] << 24) | (random_() & 0xFFFFFF);
        std::memcpy(pixels + y * HeaderOf(image)->pitch + 4 * x, &value, 4);
      }
    }
    return image;
  }

  void RandomScreen() {
    const ScreenMode* mode = CurrentScreenMode();
    for (int32_t y = 0; y < mode->height; ++y)
      for (int32_t x = 0; x < mode->width; ++x) SetScreenPixel(x, y, random_());
  }

  std::vector<uint32_t> Screen() {
    const ScreenMode* mode = CurrentScreenMode();
    std::vector<uint32_t> pixels;
    for (int32_t y = 0; y < mode->height; ++y)
      for (int32_t x = 0; x < mode->width; ++x) pixels.push_back(ScreenPixel(x, y));
    return pixels;
  }

  void SetScreen(const std::vector<uint32_t>& pixels) {
    const ScreenMode* mode = CurrentScreenMode();
    for (int32_t y = 0; y < mode->height; ++y)
      for (int32_t x = 0; x < mode->width; ++x) SetScreenPixel(x, y, pixels[y * mode->width + x]);
  }

  // What the whole put leaves on the screen, the screen itself unchanged.
  std::vector<uint32_t> AfterWholePut(const ImageBuffer* source) {
    const std::vector<uint32_t> before = Screen();
    PutImage(nullptr, 0, 0, source, kCoordinateNotGiven, 0, 0, 0, 4, kPutModeAlpha, AlphaPut, -1,
             nullptr, 0);
    const std::vector<uint32_t> after = Screen();
    SetScreen(before);
    return after;
  }

  void TearDown() override {
    for (ImageBuffer* image : images_) std::free(image);
    RasterTest::TearDown();
  }

  std::mt19937 random_{42};

 private:
  std::vector<ImageBuffer*> images_;
};

TEST_F(PutPointsTest, BlendsTheListedPixelsOnceAsTheWholePutWouldAndNoOthers) {
  SetMode(13, 9);
  ImageBuffer* source = RandomImage(11, 10, {0, 1, 128, 200, 255});
  RandomScreen();
  const std::vector<uint32_t> before = Screen();
  const std::vector<uint32_t> whole = AfterWholePut(source);

  // Inside, at the source's right edge, right of the source (x 11, 12),
  // below the screen (y 9) and far outside.
  std::vector<uint32_t> points = {PackPoint(0, 0), PackPoint(10, 8), PackPoint(5, 3),
                                  PackPoint(11, 2), PackPoint(12, 0), PackPoint(3, 9),
                                  PackPoint(0xFFFF, 0xFFFF)};
  std::vector<uint32_t> listed = points;
  const int32_t moving = AlphaPutPoints(nullptr, source, points.data(),
                                        static_cast<int32_t>(points.size()), points.data());
  ASSERT_GE(moving, 0);
  const std::vector<uint32_t> after = Screen();
  for (int32_t y = 0; y < 9; ++y) {
    for (int32_t x = 0; x < 13; ++x) {
      const size_t i = y * 13 + x;
      const bool blended = (x == 0 && y == 0) || (x == 10 && y == 8) || (x == 5 && y == 3);
      ASSERT_EQ(after[i], blended ? whole[i] : before[i]) << x << "," << y;
    }
  }

  // The ones still moving come first, in list order: those that one more
  // whole put would change.
  SetScreen(after);
  const std::vector<uint32_t> again = AfterWholePut(source);
  std::vector<uint32_t> expected;
  for (int i = 0; i < 3; ++i) {
    const size_t at = (listed[i] >> 16) * 13 + (listed[i] & 0xFFFF);
    if (again[at] != after[at]) expected.push_back(listed[i]);
  }
  EXPECT_EQ(std::vector<uint32_t>(points.begin(), points.begin() + moving), expected);
}

TEST_F(PutPointsTest, ReachesTheWholePutsResultFrameAfterFrame) {
  // The slowest case: alpha 1 takes up to 255 puts to settle a channel. A
  // source 16 pixels wide has rows as long as the screen's, and is read by
  // the screen's offsets; one 17 wide has longer (padded) rows.
  for (int32_t width : {17, 16}) {
    SCOPED_TRACE(testing::Message() << "width " << width);
    SetMode(width, 5);
    ImageBuffer* source = RandomImage(width, 5, {1, 2, 60, 191, 254, 255});
    RandomScreen();
    std::vector<uint32_t> points;
    for (int32_t y = 0; y < 5; ++y)
      for (int32_t x = 0; x < width; ++x) points.push_back(PackPoint(x, y));
    int32_t moving = static_cast<int32_t>(points.size());
    int puts = 0;
    while (moving > 0 && puts < 300) {
      const std::vector<uint32_t> whole = AfterWholePut(source);
      moving = AlphaPutPoints(nullptr, source, points.data(), moving, points.data());
      ++puts;
      ASSERT_EQ(Screen(), whole) << "after put " << puts;
    }
    EXPECT_EQ(moving, 0);
    EXPECT_GT(puts, 100);
    EXPECT_EQ(Screen(), AfterWholePut(source));
  }
}

TEST_F(PutPointsTest, OverAColourBlendsOnlyPixelsHoldingItAndEachOnce) {
  SetMode(6, 2);
  ImageBuffer* source = RandomImage(6, 2, {128});
  RandomScreen();
  SetScreenPixel(1, 0, 0xFFFFFFFFu);
  SetScreenPixel(4, 1, 0xFFFFFFFFu);
  const std::vector<uint32_t> before = Screen();
  const std::vector<uint32_t> whole = AfterWholePut(source);
  std::vector<uint32_t> points = {PackPoint(1, 0), PackPoint(2, 0), PackPoint(1, 0),
                                  PackPoint(4, 1)};
  std::vector<uint32_t> moving(points.size());
  const int32_t count = AlphaPutPointsOver(nullptr, source, 0xFFFFFFFFu, points.data(),
                                           static_cast<int32_t>(points.size()), moving.data());
  std::vector<uint32_t> expected = before;
  expected[1] = whole[1];
  expected[6 + 4] = whole[6 + 4];
  EXPECT_EQ(Screen(), expected);
  // Half alpha leaves both moving; the repeated point is not listed twice.
  EXPECT_EQ(std::vector<uint32_t>(moving.begin(), moving.begin() + count),
            (std::vector<uint32_t>{PackPoint(1, 0), PackPoint(4, 1)}));
}

// Listed pixels known to hold `over`: the same screen as the put over it,
// points repeated and outside the screen included, without a pixel being
// read (one that holds something else is overwritten all the same); refused
// where the result would still change, for a repeated point would then be
// blended twice.
TEST_F(PutPointsTest, KnownOverStoresWhatThePutOverGives) {
  constexpr int32_t kWidth = 29, kHeight = 17;
  constexpr uint32_t kOver = 0xFFFFFFFFu;
  SetMode(kWidth, kHeight);
  RandomScreen();
  std::vector<uint32_t> points;
  for (int i = 0; i < 200; ++i) {
    const int32_t x = static_cast<int32_t>(random_() % (kWidth + 3));
    const int32_t y = static_cast<int32_t>(random_() % (kHeight + 3));
    if (x < kWidth && y < kHeight) SetScreenPixel(x, y, kOver);
    points.push_back(PackPoint(x, y));
    if (i % 7 == 0) points.push_back(PackPoint(x, y));
  }
  const int32_t count = static_cast<int32_t>(points.size());
  const std::vector<uint32_t> before = Screen();
  std::vector<uint32_t> moving(points.size());
  ImageBuffer* blue = ImageCreate(kWidth, kHeight, 0xFF0000FFu, 32, 0);
  ASSERT_NE(blue, nullptr);
  ASSERT_EQ(AlphaPutPointsOver(nullptr, blue, kOver, points.data(), count, moving.data()), 0);
  std::free(blue);
  const std::vector<uint32_t> over = Screen();
  ASSERT_NE(over, before);
  SetScreen(before);
  ClearDirtyRows();
  EXPECT_EQ(AlphaPutColourPointsKnownOver(nullptr, 0xFF0000FFu, kOver, points.data(), count), 0);
  EXPECT_EQ(Screen(), over);
  EXPECT_EQ(LockBits(), 0u);

  const uint32_t point = PackPoint(3, 2);
  SetScreenPixel(3, 2, 0x12345678u);
  ClearDirtyRows();
  EXPECT_EQ(AlphaPutColourPointsKnownOver(nullptr, 0xFF0000FFu, kOver, &point, 1), 0);
  EXPECT_EQ(ScreenPixel(3, 2), 0xFF0000FFu);
  EXPECT_EQ(DirtyRows().substr(0, 4), "0010");

  SetScreen(before);
  SetErrorNumber(0);
  EXPECT_EQ(AlphaPutColourPointsKnownOver(nullptr, 0x80FF8000u, kOver, points.data(), count), -1);
  EXPECT_EQ(ErrorNumber(), 1);
  EXPECT_EQ(Screen(), before);
}

TEST_F(PutPointsTest, ChangingPointsAreExactlyThoseTheWholePutChangesInRowOrder) {
  // Wider than one compared stretch, with a short last one.
  SetMode(150, 7);
  ImageBuffer* source = RandomImage(139, 9, {0, 255, 255, 255, 190});
  RandomScreen();
  // One whole put, so most pixels are settled and a few are not.
  PutImage(nullptr, 0, 0, source, kCoordinateNotGiven, 0, 0, 0, 4, kPutModeAlpha, AlphaPut, -1,
           nullptr, 0);
  for (int32_t y = 0; y < 7; ++y) SetScreenPixel(y * 20, y, random_());
  const std::vector<uint32_t> before = Screen();
  const std::vector<uint32_t> whole = AfterWholePut(source);
  std::vector<uint32_t> expected;
  for (int32_t y = 0; y < 7; ++y)
    for (int32_t x = 0; x < 150; ++x)
      if (whole[y * 150 + x] != before[y * 150 + x]) expected.push_back(PackPoint(x, y));
  ASSERT_GT(expected.size(), 7u);

  std::vector<uint32_t> points(expected.size());
  const int32_t size = static_cast<int32_t>(expected.size());
  ASSERT_EQ(AlphaPutChangingPoints(nullptr, source, points.data(), size), size);
  EXPECT_EQ(points, expected);
  EXPECT_EQ(AlphaPutChangingPoints(nullptr, source, points.data(), size - 1), -1);
  EXPECT_EQ(Screen(), before);  // only reads
}

// The rows marked are those from the first to the last written, in one
// step; a point skipped outside the put marks none.
TEST_F(PutPointsTest, LocksAroundTheWritesAndMarksTheRowsFromFirstToLastWritten) {
  SetMode(8, 6);
  ImageBuffer* source = RandomImage(8, 6, {128});
  ClearDirtyRows();
  std::vector<uint32_t> points = {PackPoint(2, 4), PackPoint(7, 1), PackPoint(9, 5)};
  EXPECT_EQ(AlphaPutPoints(nullptr, source, points.data(), 3, points.data()), 2);
  EXPECT_EQ(DirtyRows(), "011110");
  EXPECT_EQ(LockBits(), 0u);

  // Under a held screen lock the put neither takes nor releases it.
  ScreenLock();
  EXPECT_EQ(AlphaPutPoints(nullptr, source, points.data(), 2, points.data()), 2);
  EXPECT_EQ(LockBits(), kLockHeld);
  ScreenUnlock(-1, -1);

  // Onto an image: no screen row marked.
  ImageBuffer* target = RandomImage(8, 6, {255});
  ClearDirtyRows();
  EXPECT_EQ(AlphaPutPoints(target, source, points.data(), 2, points.data()), 2);
  EXPECT_EQ(DirtyRows(), "000000");
  EXPECT_EQ(LockBits(), 0u);
}

TEST_F(PutPointsTest, FailsAsThePutDoes) {
  uint32_t point = PackPoint(0, 0);
  SetMode(4, 4);
  ImageBuffer* source = RandomImage(4, 4, {255});
  EXPECT_EQ(AlphaPutPoints(nullptr, nullptr, &point, 1, &point), -1);
  EXPECT_EQ(ErrorNumber(), 1);
  SetErrorNumber(0);
  SetMode(4, 4, 16);  // pixel sizes differ
  EXPECT_EQ(AlphaPutPointsOver(nullptr, source, 0, &point, 1, &point), -1);
  EXPECT_EQ(AlphaPutChangingPoints(nullptr, source, &point, 1), -1);
  EXPECT_EQ(AlphaPutColourPointsKnownOver(nullptr, 0xFF0000FFu, 0, &point, 1), -1);
  EXPECT_EQ(ErrorNumber(), 1);
  SetErrorNumber(0);
  DropScreenMode();
  EXPECT_EQ(AlphaPutPoints(nullptr, source, &point, 1, &point), -1);
  EXPECT_EQ(AlphaPutColourPointsKnownOver(nullptr, 0xFF0000FFu, 0, &point, 1), -1);
  EXPECT_EQ(ErrorNumber(), 1);
}

}  // namespace

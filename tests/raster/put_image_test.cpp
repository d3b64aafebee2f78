// The image put: source rectangles, clipping, the arguments a put routine
// receives, the error results, and the routines of alpha mode.
#include <limits>
#include <memory>
#include <vector>

#include "raster/blend.h"
#include "raster_fixture.h"

namespace {

using ImagePtr = std::unique_ptr<ImageBuffer, FreeImage>;
constexpr int32_t kWhole = kCoordinateNotGiven;

struct PutCall {
  int calls = 0;
  const uint8_t* source = nullptr;
  uint8_t* destination = nullptr;
  int32_t width = 0, height = 0, sourcePitch = 0, destinationPitch = 0, alpha = 0;
  void* customRoutine = nullptr;
  intptr_t parameter = 0;
};
PutCall g_call;

void RecordPut(const uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
               int32_t sourcePitch, int32_t destinationPitch, int32_t alpha,
               void* customRoutine, intptr_t parameter) {
  ++g_call.calls;
  g_call.source = source;
  g_call.destination = destination;
  g_call.width = width;
  g_call.height = height;
  g_call.sourcePitch = sourcePitch;
  g_call.destinationPitch = destinationPitch;
  g_call.alpha = alpha;
  g_call.customRoutine = customRoutine;
  g_call.parameter = parameter;
}

class PutImageTest : public RasterTest {
 protected:
  void SetUp() override {
    RasterTest::SetUp();
    g_call = PutCall();
  }

  // Pixel (x, y) of a 32-bit image's pixel area.
  static const uint8_t* At(const ImageBuffer* image, int32_t x, int32_t y) {
    return BytesOf(image) + kImageHeaderSize +
           static_cast<size_t>(y) * HeaderOf(image)->pitch + 4 * x;
  }
  static uint8_t* ScreenAt(int32_t x, int32_t y) {
    const ScreenMode* mode = CurrentScreenMode();
    return mode->frameBuffer + static_cast<size_t>(y) * mode->pitch + 4 * x;
  }
  int32_t Put(ImageBuffer* target, float x, float y, const ImageBuffer* source,
              int32_t x1 = kWhole, int32_t y1 = kWhole, int32_t x2 = kWhole,
              int32_t y2 = kWhole) {
    return PutImage(target, x, y, source, x1, y1, x2, y2, 4, 6, RecordPut, -1, nullptr, 0);
  }
};

TEST_F(PutImageTest, PassesTheWholeSourceAndItsArgumentsToTheRoutine) {
  SetMode(50, 40);
  ImagePtr source(ImageCreate(10, 8, 0, 32, 0));
  int marker = 0;
  EXPECT_EQ(PutImage(nullptr, 3, 2, source.get(), kWhole, kWhole, kWhole, kWhole, 4, 9,
                     RecordPut, 77, &marker, 12345),
            0);
  ASSERT_EQ(g_call.calls, 1);
  EXPECT_EQ(g_call.source, At(source.get(), 0, 0));
  EXPECT_EQ(g_call.destination, ScreenAt(3, 2));
  EXPECT_EQ(g_call.width, 10);
  EXPECT_EQ(g_call.height, 8);
  EXPECT_EQ(g_call.sourcePitch, 48);
  EXPECT_EQ(g_call.destinationPitch, 200);
  EXPECT_EQ(g_call.alpha, 77);
  EXPECT_EQ(g_call.customRoutine, &marker);
  EXPECT_EQ(g_call.parameter, 12345);
  EXPECT_EQ(LockBits(), 0u);
}

TEST_F(PutImageTest, SourceRectanglesAreOrderedAndClampedToTheImage) {
  SetMode(50, 40);
  ImagePtr source(ImageCreate(10, 8, 0, 32, 0));
  Put(nullptr, 0, 0, source.get(), 5, 5, 2, 2);
  EXPECT_EQ(g_call.source, At(source.get(), 2, 2));
  EXPECT_EQ(g_call.width, 4);
  EXPECT_EQ(g_call.height, 4);
  Put(nullptr, 0, 0, source.get(), 2, 2, 5, 5);
  EXPECT_EQ(g_call.source, At(source.get(), 2, 2));
  EXPECT_EQ(g_call.width, 4);
  Put(nullptr, 0, 0, source.get(), -3, 0, 1000, 0);
  EXPECT_EQ(g_call.source, At(source.get(), 0, 0));
  EXPECT_EQ(g_call.width, 10);
  EXPECT_EQ(g_call.height, 1);
  Put(nullptr, 0, 0, source.get(), 7, 9, 3, 1000);  // pairs swapped on their own
  EXPECT_EQ(g_call.source, At(source.get(), 3, 7));
  EXPECT_EQ(g_call.width, 5);
  EXPECT_EQ(g_call.height, 1);
  Put(nullptr, 0, 0, source.get(), std::numeric_limits<int32_t>::min(), 0,
      std::numeric_limits<int32_t>::max(), 7);
  EXPECT_EQ(g_call.width, 10);
  EXPECT_EQ(g_call.height, 8);
}

TEST_F(PutImageTest, NegativePositionsSkipTheFirstColumnsAndRows) {
  SetMode(50, 40);
  ImagePtr source(ImageCreate(20, 12, 0, 32, 0));
  Put(nullptr, -10, -5, source.get());
  ASSERT_EQ(g_call.calls, 1);
  EXPECT_EQ(g_call.source, At(source.get(), 10, 5));
  EXPECT_EQ(g_call.destination, ScreenAt(0, 0));
  EXPECT_EQ(g_call.width, 10);
  EXPECT_EQ(g_call.height, 7);
}

TEST_F(PutImageTest, ClipsAtTheRightAndBottomEdges) {
  SetMode(50, 40);
  ImagePtr source(ImageCreate(20, 12, 0, 32, 0));
  Put(nullptr, 45, 35, source.get());
  EXPECT_EQ(g_call.source, At(source.get(), 0, 0));
  EXPECT_EQ(g_call.destination, ScreenAt(45, 35));
  EXPECT_EQ(g_call.width, 5);
  EXPECT_EQ(g_call.height, 5);
}

TEST_F(PutImageTest, ALargerSourceIsClippedToTheTarget) {
  // The logo onto a smaller backdrop: every row read from its own start.
  SetMode(16, 16);
  ImagePtr backdrop(ImageCreate(1366, 768, 0, 0, -1));
  ImagePtr logo(ImageCreate(1440, 900, 0, 32, 0));
  Put(backdrop.get(), 0, 0, logo.get());
  EXPECT_EQ(g_call.width, 1366);
  EXPECT_EQ(g_call.height, 768);
  EXPECT_EQ(g_call.sourcePitch, 5760);
  EXPECT_EQ(g_call.destinationPitch, 5472);
}

TEST_F(PutImageTest, RectanglesWhollyOutsideDrawNothingAndSucceed) {
  SetMode(50, 40);
  ImagePtr source(ImageCreate(20, 12, 0, 32, 0));
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  ClearDirtyRows();
  for (float x : {-20.0f, 50.0f, 1e30f, -1e30f, inf, -inf, nan, 2147483520.0f}) {
    EXPECT_EQ(Put(nullptr, x, 0, source.get()), 0) << x;
  }
  for (float y : {-12.0f, 40.0f, 1e30f, nan}) EXPECT_EQ(Put(nullptr, 0, y, source.get()), 0) << y;
  EXPECT_EQ(g_call.calls, 0);
  EXPECT_EQ(DirtyRows(), std::string(40, '0'));
  EXPECT_EQ(LockBits(), 0u);
  EXPECT_EQ(ErrorNumber(), 0);
}

TEST_F(PutImageTest, AJustTouchingRectangleIsDrawn) {
  SetMode(50, 40);
  ImagePtr source(ImageCreate(20, 12, 0, 32, 0));
  Put(nullptr, -19, -11, source.get());
  EXPECT_EQ(g_call.calls, 1);
  EXPECT_EQ(g_call.width, 1);
  EXPECT_EQ(g_call.height, 1);
  EXPECT_EQ(g_call.source, At(source.get(), 19, 11));
  Put(nullptr, 49, 39, source.get());
  EXPECT_EQ(g_call.calls, 2);
  EXPECT_EQ(g_call.destination, ScreenAt(49, 39));
}

TEST_F(PutImageTest, MarksTheCoveredScreenRowsAndNoneForAnImage) {
  SetMode(10, 8);
  ImagePtr source(ImageCreate(3, 3, 0, 32, 0));
  ImagePtr target(ImageCreate(10, 8, 0, 32, 0));
  ClearDirtyRows();
  Put(nullptr, 2, 6, source.get());
  EXPECT_EQ(DirtyRows(), "00000011");
  ClearDirtyRows();
  Put(target.get(), 2, 2, source.get());
  EXPECT_EQ(DirtyRows(), "00000000");
}

TEST_F(PutImageTest, ErrorsSetErrorNumberOneAndDrawNothing) {
  SetMode(10, 8);
  ImagePtr image32(ImageCreate(3, 3, 0, 32, 0));
  ImagePtr image8(ImageCreate(3, 3, 0, 8, 0));
  ImagePtr image16(ImageCreate(3, 3, 0, 16, 0));
  struct Case {
    ImageBuffer* target;
    const ImageBuffer* source;
    int32_t mode;
  };
  for (const Case& c : {Case{nullptr, nullptr, 6}, Case{nullptr, image8.get(), 5},
                        Case{image8.get(), image32.get(), 6}, Case{nullptr, image16.get(), 6},
                        Case{image16.get(), image8.get(), 6}}) {
    SetErrorNumber(0);
    EXPECT_EQ(PutImage(c.target, 0, 0, c.source, kWhole, kWhole, kWhole, kWhole, 4, c.mode,
                       RecordPut, -1, nullptr, 0),
              1);
    EXPECT_EQ(ErrorNumber(), 1);
  }
  EXPECT_EQ(g_call.calls, 0);
  EXPECT_EQ(LockBits(), 0u);
  DropScreenMode();
  SetErrorNumber(0);
  EXPECT_EQ(Put(nullptr, 0, 0, image32.get()), 1);
  EXPECT_EQ(ErrorNumber(), 1);
}

TEST_F(PutImageTest, AnUnreadableSourceIsAnError) {
  SetMode(10, 8);
  std::vector<uint8_t> block(64);
  const ImageHeader header = {kImageHeaderType, 4, 4, 1, 8, 0, {0, 0}};  // pitch too small
  std::memcpy(block.data(), &header, sizeof(header));
  EXPECT_EQ(Put(nullptr, 0, 0, AsImage(block.data())), 1);
  EXPECT_EQ(ErrorNumber(), 1);
  EXPECT_EQ(g_call.calls, 0);
}

TEST_F(PutImageTest, AShortHeaderSourceIsReadFromByteFour) {
  SetMode(10, 8);
  std::vector<uint8_t> block(4 + 3 * 2 * 4);
  const ShortImageHeader header = {static_cast<uint16_t>(3 << 3), 2};  // target's pixel size
  std::memcpy(block.data(), &header, sizeof(header));
  EXPECT_EQ(Put(nullptr, 1, 1, AsImage(block.data())), 0);
  EXPECT_EQ(g_call.source, block.data() + 4);
  EXPECT_EQ(g_call.width, 3);
  EXPECT_EQ(g_call.height, 2);
  EXPECT_EQ(g_call.sourcePitch, 12);
}

TEST_F(PutImageTest, RelativeFlagsMoveThePointFromTheLastOne) {
  SetMode(50, 40);
  ImagePtr source(ImageCreate(2, 2, 0, 32, 0));
  PixelSet(nullptr, 10, 20, 0xFFFFFFFFu, 4, 0);
  PutImage(nullptr, 3, 4, source.get(), kWhole, kWhole, kWhole, kWhole, 2, 6, RecordPut, -1,
           nullptr, 0);
  EXPECT_EQ(g_call.destination, ScreenAt(13, 24));
}

// ---- the alpha routines ----------------------------------------------------------

TEST_F(PutImageTest, AlphaPutBlendsOntoTheScreenByTheSourceAlpha) {
  SetMode(4, 2);
  ImagePtr source(ImageCreate(4, 2, 0, 32, 0));
  const uint32_t sources[4] = {0xFFFFFFFFu, 0x80FFFFFFu, 0x00123456u, 0xFF0000FFu};
  const uint32_t destinations[4] = {0xFF0000FFu, 0xFF0000FFu, 0xFF654321u, 0xFF0000FFu};
  const uint32_t expected[4] = {0xFFFEFEFFu, 0xBF7F7FFFu, 0xFF654321u, 0xFF0000FFu};
  for (int32_t x = 0; x < 4; ++x) {
    SetImagePixel32(source.get(), x, 1, sources[x]);
    SetScreenPixel(x, 1, destinations[x]);
  }
  EXPECT_EQ(PutImage(nullptr, 0, 0, source.get(), kWhole, kWhole, kWhole, kWhole, 4, 6, AlphaPut,
                     -1, nullptr, 0),
            0);
  for (int32_t x = 0; x < 4; ++x) {
    EXPECT_EQ(ScreenPixel(x, 1), expected[x]) << x;
    EXPECT_EQ(ScreenPixel(x, 0), 0xFF000000u) << x;  // a = 0 over black
  }
}

TEST_F(PutImageTest, AForeignPitchIsFollowedAndItsGapNeverRead) {
  // As another writer lays it out: a 5-pixel row in a 32-byte pitch, with
  // opaque red in the gaps that must never reach the screen.
  SetMode(8, 3);
  std::vector<uint8_t> block(32 + 3 * 32);
  const ImageHeader header = {kImageHeaderType, 4, 5, 3, 32, 0, {0, 0}};
  std::memcpy(block.data(), &header, sizeof(header));
  for (int32_t y = 0; y < 3; ++y) {
    for (int32_t x = 0; x < 8; ++x) {
      const uint32_t value = x < 5 ? 0xFF000000u | (y * 16 + x) : 0xFFFF0000u;
      std::memcpy(&block[32 + y * 32 + x * 4], &value, 4);
    }
  }
  EXPECT_EQ(PutImage(nullptr, 0, 0, AsImage(block.data()), kWhole, kWhole, kWhole, kWhole, 4, 6,
                     AlphaPut, -1, nullptr, 0),
            0);
  for (int32_t y = 0; y < 3; ++y) {
    for (int32_t x = 0; x < 8; ++x) {
      // a = 255: each channel moves from 0 to (v * 255) >> 8.
      const uint32_t v = x < 5 ? static_cast<uint32_t>(y * 16 + x) : 0;
      const uint32_t expected = 0xFF000000u | ((v * 255) >> 8);
      EXPECT_EQ(ScreenPixel(x, y), x < 5 ? expected : 0xFF000000u) << x << "," << y;
    }
  }
}

TEST_F(PutImageTest, AnEightBitSourceReplacesTheAlphaOfAThirtyTwoBitTarget) {
  SetMode(4, 2);
  ImagePtr mask(ImageCreate(3, 1, 0, 8, 0));
  uint8_t* maskPixels = BytesOf(mask.get()) + kImageHeaderSize;
  maskPixels[0] = 0x00;
  maskPixels[1] = 0x7F;
  maskPixels[2] = 0xFF;
  for (int32_t x = 0; x < 4; ++x) SetScreenPixel(x, 1, 0x11223344u);
  EXPECT_EQ(PutImage(nullptr, 1, 1, mask.get(), kWhole, kWhole, kWhole, kWhole, 4, 6, AlphaPut,
                     -1, nullptr, 0),
            0);
  EXPECT_EQ(ScreenPixel(0, 1), 0x11223344u);
  EXPECT_EQ(ScreenPixel(1, 1), 0x00223344u);
  EXPECT_EQ(ScreenPixel(2, 1), 0x7F223344u);
  EXPECT_EQ(ScreenPixel(3, 1), 0xFF223344u);
}

TEST_F(PutImageTest, SixteenAndEightBitTargetsCopyRowsInAlphaMode) {
  SetMode(6, 3, 16);
  ImagePtr source(ImageCreate(2, 2, 0x00FF8040u, 16, 0));  // 0xFC08
  ImagePtr target(ImageCreate(4, 3, 0, 16, 0));
  EXPECT_EQ(PutImage(target.get(), 1, 1, source.get(), kWhole, kWhole, kWhole, kWhole, 4, 6,
                     AlphaPut, -1, nullptr, 0),
            0);
  const uint8_t* pixels = BytesOf(target.get()) + kImageHeaderSize;
  const uint32_t pitch = HeaderOf(target.get())->pitch;
  for (int32_t y = 0; y < 3; ++y) {
    for (int32_t x = 0; x < 4; ++x) {
      const uint8_t* p = pixels + y * pitch + 2 * x;
      const bool covered = x >= 1 && x <= 2 && y >= 1;
      EXPECT_EQ(p[0] | (p[1] << 8), covered ? 0xFC08 : 0) << x << "," << y;
    }
  }
  ImagePtr source8(ImageCreate(2, 1, 0x5A, 8, 0));
  ImagePtr target8(ImageCreate(3, 1, 0x01, 8, 0));
  EXPECT_EQ(PutImage(target8.get(), 1, 0, source8.get(), kWhole, kWhole, kWhole, kWhole, 4, 6,
                     AlphaPut, -1, nullptr, 0),
            0);
  const uint8_t* bytes = BytesOf(target8.get()) + kImageHeaderSize;
  EXPECT_EQ(bytes[0], 0x01);
  EXPECT_EQ(bytes[1], 0x5A);
  EXPECT_EQ(bytes[2], 0x5A);
}

// An image put onto itself reads pixels the same put has written. Every
// blend version must give what the reference gives pixel by pixel from
// left to right, whichever way the areas overlap.
TEST_F(PutImageTest, APutOfAnImageOntoItselfGivesTheReferenceResultWithEveryBlend) {
  SetMode(4, 4);
  if (!ActiveBlendIsSimd()) GTEST_SKIP() << "only the reference blend runs here";
  const BlendKernel chosen = ActiveBlendKernel();
  constexpr int32_t kWidth = 37, kHeight = 4;
  ImagePtr original(ImageCreate(kWidth, kHeight, 0, 32, 0));
  uint32_t seed = 12345;
  for (int32_t y = 0; y < kHeight; ++y) {
    for (int32_t x = 0; x < kWidth; ++x) {
      seed = seed * 1103515245u + 12345u;
      // Runs of opaque pixels (the fast opaque path) between mixed ones.
      const uint32_t alpha = (x / 8) % 2 ? 0xFF000000u : (seed >> 8) & 0xFF000000u;
      SetImagePixel32(original.get(), x, y, alpha | (seed & 0xFFFFFFu));
    }
  }
  const size_t blockSize = kImageHeaderSize + size_t(HeaderOf(original.get())->pitch) * kHeight;
  auto putOntoItself = [&](BlendKernel kernel, float dx, float dy) {
    EXPECT_TRUE(ForceBlendKernel(kernel));
    std::vector<uint8_t> block(BytesOf(original.get()),
                               BytesOf(original.get()) + blockSize);
    EXPECT_EQ(PutImage(AsImage(block.data()), dx, dy, AsImage(block.data()), 0, 0, 30, 2, 4, 6,
                       AlphaPut, -1, nullptr, 0),
              0);
    return block;
  };
  for (BlendKernel kernel : {BlendKernel::kSse2, BlendKernel::kAvx2}) {
    if (!BlendKernelSupported(kernel)) continue;
    struct Offset {
      float x, y;
    };
    for (const Offset& o : {Offset{1, 0}, Offset{5, 0}, Offset{-3, 0}, Offset{2, 1}}) {
      EXPECT_EQ(putOntoItself(kernel, o.x, o.y), putOntoItself(BlendKernel::kScalar, o.x, o.y))
          << "version " << static_cast<int>(kernel) << " at " << o.x << "," << o.y;
    }
  }
  ForceBlendKernel(chosen);
}

TEST_F(PutImageTest, TheAlphaTableIsChosenOnceByTheSimdFlag) {
  SetMode(4, 4);
  DrawContext* context = GetDrawContext();
  EXPECT_EQ(context->alphaRoutines, nullptr);
  ImagePtr source(ImageCreate(2, 2, 0, 32, 0));
  PutImage(nullptr, 0, 0, source.get(), kWhole, kWhole, kWhole, kWhole, 4, 6, AlphaPut, -1,
           nullptr, 0);
  const bool simd = CurrentScreenMode()->flags.load() & kSimdAvailable;
  EXPECT_EQ(context->alphaRoutines, simd ? FastAlphaRoutines() : PlainAlphaRoutines());
  EXPECT_EQ(PlainAlphaRoutines()->entries[3], &AlphaBlend32);
  EXPECT_EQ(PlainAlphaRoutines()->entries[0], &RowCopy);
  EXPECT_EQ(PlainAlphaRoutines()->entries[1], &RowCopy);
  EXPECT_EQ(PlainAlphaRoutines()->entries[2], nullptr);
}

}  // namespace

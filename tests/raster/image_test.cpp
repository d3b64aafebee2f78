// Image buffers: ImageCreate's sizes, pitches and fills, and the readers of
// both header forms.
#include <memory>
#include <vector>

#include "raster/allocation.h"
#include "raster_fixture.h"

namespace {

using ImagePtr = std::unique_ptr<ImageBuffer, FreeImage>;
using ImageCreateTest = RasterTest;

std::vector<uint8_t> PixelBytes(const ImageBuffer* image) {
  const ImageHeader* header = HeaderOf(image);
  const auto* start = BytesOf(image) + kImageHeaderSize;
  return std::vector<uint8_t>(start, start + static_cast<size_t>(header->pitch) * header->height);
}

TEST_F(ImageCreateTest, ThirtyTwoBitImageIsFilledWithTheColourIncludingThePitchGaps) {
  SetMode(100, 100);
  ImagePtr image(ImageCreate(3, 2, 0, 32, 0));
  ASSERT_NE(image, nullptr);
  const ImageHeader* header = HeaderOf(image.get());
  EXPECT_EQ(header->type, 7u);
  EXPECT_EQ(header->bytesPerPixel, 4u);
  EXPECT_EQ(header->width, 3u);
  EXPECT_EQ(header->height, 2u);
  EXPECT_EQ(header->pitch, 16u);
  EXPECT_EQ(header->reserved1[0], 0u);
  EXPECT_EQ(header->reserved1[1], 0u);
  EXPECT_EQ(PixelBytes(image.get()), std::vector<uint8_t>(32, 0));

  ImagePtr green(ImageCreate(3, 2, 0x8000FF00u, 32, 0));
  const std::vector<uint8_t> bytes = PixelBytes(green.get());
  for (size_t i = 0; i < bytes.size(); i += 4) {
    uint32_t value;
    std::memcpy(&value, &bytes[i], 4);
    ASSERT_EQ(value, 0x8000FF00u) << i;  // gap pixels too
  }
}

TEST_F(ImageCreateTest, ColourNotGivenFillsWithTheTransparentColourOfThePixelSize) {
  SetMode(10, 10);
  ImagePtr image(ImageCreate(4, 1, 0x12345678u, 0, static_cast<int32_t>(0x80000000u)));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(HeaderOf(image.get())->pitch, 16u);
  EXPECT_EQ(HeaderOf(image.get())->bytesPerPixel, 4u);
  for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(ImagePixel32(image.get(), x, 0), 0xFFFF00FFu);

  ImagePtr sixteen(ImageCreate(3, 1, 0x12345678u, 16, -1));
  ASSERT_NE(sixteen, nullptr);
  const std::vector<uint8_t> bytes16 = PixelBytes(sixteen.get());
  for (size_t i = 0; i < bytes16.size(); i += 2) {
    EXPECT_EQ(bytes16[i] | (bytes16[i + 1] << 8), 0xF81F) << i;
  }
  ImagePtr eight(ImageCreate(3, 1, 0x12345678u, 8, -1));
  EXPECT_EQ(PixelBytes(eight.get()), std::vector<uint8_t>(16, 0));
}

TEST_F(ImageCreateTest, GivenColoursAreConvertedToThePixelSize) {
  SetMode(10, 10);
  ImagePtr sixteen(ImageCreate(2, 2, 0x00FF8040u, 16, 0));
  ASSERT_NE(sixteen, nullptr);
  EXPECT_EQ(HeaderOf(sixteen.get())->bytesPerPixel, 2u);
  const std::vector<uint8_t> bytes = PixelBytes(sixteen.get());
  EXPECT_EQ(bytes[0] | (bytes[1] << 8), 0xFC08);
  EXPECT_EQ(bytes[30] | (bytes[31] << 8), 0xFC08);
  ImagePtr eight(ImageCreate(2, 2, 0x123456ABu, 1, 0));
  ASSERT_NE(eight, nullptr);
  EXPECT_EQ(HeaderOf(eight.get())->bytesPerPixel, 1u);
  EXPECT_EQ(PixelBytes(eight.get()), std::vector<uint8_t>(32, 0xAB));
}

TEST_F(ImageCreateTest, PitchIsTheRowRoundedUpToSixteenBytes) {
  SetMode(10, 10);
  struct Case {
    int32_t width, depth;
    uint32_t pitch;
  };
  for (const Case& c : {Case{1440, 32, 5760}, Case{1366, 32, 5472}, Case{1, 32, 16},
                        Case{5, 32, 32}, Case{17, 8, 32}, Case{16, 8, 16}, Case{9, 16, 32}}) {
    ImagePtr image(ImageCreate(c.width, 1, 0, c.depth, 0));
    ASSERT_NE(image, nullptr) << c.width;
    EXPECT_EQ(HeaderOf(image.get())->pitch, c.pitch) << c.width << " at depth " << c.depth;
  }
}

TEST_F(ImageCreateTest, RefusedRequestsReturnNullWithoutAnError) {
  SetMode(10, 10);
  EXPECT_EQ(ImageCreate(4, 4, 0, 24, 0), nullptr);  // 3 bytes per pixel
  EXPECT_EQ(ImageCreate(4, 4, 0, 33, 0), nullptr);
  EXPECT_EQ(ImageCreate(4, 4, 0, 0x7FFFFFFF, 0), nullptr);
  EXPECT_EQ(ImageCreate(0, 4, 0, 32, 0), nullptr);
  EXPECT_EQ(ImageCreate(4, -1, 0, 32, 0), nullptr);
  EXPECT_EQ(ImageCreate(0x7FFFFFFF, 0x7FFFFFFF, 0, 32, 0), nullptr);  // far too large
  EXPECT_EQ(ImageCreate(8192, 8193, 0, 32, 0), nullptr);  // past kMaxImagePixelBytes
  EXPECT_EQ(ImageCreate(16384, 8193, 0, 16, 0), nullptr);
  EXPECT_EQ(ErrorNumber(), 0);
  DropScreenMode();
}

// The image limit guards against requests of gigabytes, not against a
// backdrop of the screen's own size: a video wall's frame is larger.
TEST_F(ImageCreateTest, AnImageOfTheScreensSizeIsMadePastTheImageLimit) {
  SetMode(8193, 8193);
  ImagePtr image(ImageCreate(8193, 8193, 0, 0, 0));
  ASSERT_NE(image, nullptr);
  EXPECT_GT(uint64_t{HeaderOf(image.get())->pitch} * 8193, kMaxImagePixelBytes);
  EXPECT_EQ(ImageCreate(8193, 8194, 0, 0, 0), nullptr);
  EXPECT_EQ(ImageCreate(8194, 8193, 0, 0, 0), nullptr);
  DropScreenMode();
  EXPECT_EQ(ImageCreate(4, 4, 0, 32, 0), nullptr);
  // The page's bytes count, not its pixels: on a 16-bit screen a 32-bit
  // image of the screen's size is twice the page.
  SetMode(8193, 8193, 16);
  EXPECT_NE(ImagePtr(ImageCreate(8193, 8193, 0, 16, 0)), nullptr);
  EXPECT_EQ(ImageCreate(8193, 8193, 0, 32, 0), nullptr);
  DropScreenMode();
}

TEST_F(ImageCreateTest, DepthsPickTheirPixelSizes) {
  SetMode(10, 10, 16);
  struct Case {
    int32_t depth;
    uint32_t bytesPerPixel;
  };
  for (const Case& c : {Case{0, 2}, Case{-4, 2}, Case{1, 1}, Case{8, 1}, Case{9, 2},
                        Case{16, 2}, Case{25, 4}, Case{32, 4}}) {
    ImagePtr image(ImageCreate(2, 2, 0, c.depth, 0));
    ASSERT_NE(image, nullptr) << c.depth;
    EXPECT_EQ(HeaderOf(image.get())->bytesPerPixel, c.bytesPerPixel) << c.depth;
  }
  for (int32_t depth : {17, 20, 24}) EXPECT_EQ(ImageCreate(2, 2, 0, depth, 0), nullptr) << depth;
}

TEST_F(ImageCreateTest, TheNewImageBecomesTheDrawingTarget) {
  SetMode(10, 10);
  ImagePtr image(ImageCreate(7, 3, 0, 32, 0));
  DrawContext* context = GetDrawContext();
  EXPECT_EQ(context->target, image.get());
  EXPECT_EQ(context->targetPitch, 32);
  EXPECT_EQ(context->rows[2], BytesOf(image.get()) + 32 + 2 * 32);
  EXPECT_TRUE(context->contextFlags & kTargetIsImage);
}

TEST_F(ImageCreateTest, AllocationFailureGivesNull) {
  SetMode(10, 10);
  RasterFailAllocationsAfter(0);
  ImageBuffer* image = ImageCreate(4, 4, 0, 32, 0);
  RasterFailAllocationsAfter(-1);
  EXPECT_EQ(image, nullptr);
  std::free(image);
}

// ---- readers -------------------------------------------------------------------

TEST(ImageInfoTest, ReadsTheFullHeaderAndKeepsAForeignPitch) {
  // As the PNG decoder writes it: rows 32-byte aligned.
  std::vector<uint8_t> block(32 + 3 * 32);
  const ImageHeader header = {kImageHeaderType, 4, 5, 3, 32, 0, {0, 0}};
  std::memcpy(block.data(), &header, sizeof(header));
  ImageInfo info;
  ASSERT_TRUE(ReadImageInfo(AsImage(block.data()), 4, &info));
  EXPECT_EQ(info.bytesPerPixel, 4);
  EXPECT_EQ(info.width, 5);
  EXPECT_EQ(info.height, 3);
  EXPECT_EQ(info.pitch, 32);
  EXPECT_EQ(info.pixels, block.data() + 32);
}

TEST(ImageInfoTest, ReadsTheShortHeader) {
  std::vector<uint8_t> block(4 + 6 * 2 * 4);
  const ShortImageHeader header = {static_cast<uint16_t>((6 << 3) | 4), 2};
  std::memcpy(block.data(), &header, sizeof(header));
  ImageInfo info;
  ASSERT_TRUE(ReadImageInfo(AsImage(block.data()), 1, &info));
  EXPECT_EQ(info.bytesPerPixel, 4);
  EXPECT_EQ(info.width, 6);
  EXPECT_EQ(info.height, 2);
  EXPECT_EQ(info.pitch, 24);
  EXPECT_EQ(info.pixels, block.data() + 4);

  const ShortImageHeader targetSized = {static_cast<uint16_t>(6 << 3), 2};
  std::memcpy(block.data(), &targetSized, sizeof(targetSized));
  ASSERT_TRUE(ReadImageInfo(AsImage(block.data()), 2, &info));
  EXPECT_EQ(info.bytesPerPixel, 2);
  EXPECT_EQ(info.pitch, 12);
}

TEST(ImageInfoTest, RefusesUnusableHeaders) {
  ImageInfo info;
  EXPECT_FALSE(ReadImageInfo(nullptr, 4, &info));
  auto refuses = [&info](ImageHeader header) {
    std::vector<uint8_t> block(64);
    std::memcpy(block.data(), &header, sizeof(header));
    return !ReadImageInfo(AsImage(block.data()), 4, &info);
  };
  EXPECT_TRUE(refuses({7, 3, 2, 2, 8, 0, {0, 0}}));             // 3 bytes per pixel
  EXPECT_TRUE(refuses({7, 0, 2, 2, 8, 0, {0, 0}}));
  EXPECT_TRUE(refuses({7, 4, 3, 2, 8, 0, {0, 0}}));             // pitch below a row
  EXPECT_TRUE(refuses({7, 4, 0x80000000u, 1, 0xFFFFFFF0u, 0, {0, 0}}));
  EXPECT_TRUE(refuses({7, 1, 4, 0x40000000u, 4, 0, {0, 0}}));   // taller than any image
  std::vector<uint8_t> block(16);
  const ShortImageHeader shortForm = {static_cast<uint16_t>((2 << 3) | 3), 1};
  std::memcpy(block.data(), &shortForm, sizeof(shortForm));
  EXPECT_FALSE(ReadImageInfo(AsImage(block.data()), 4, &info));
}

}  // namespace

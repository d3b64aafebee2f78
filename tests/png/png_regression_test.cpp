// Inputs that once went wrong (found by fuzzing or review), kept so they
// stay fixed.
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>

#include <gtest/gtest.h>

#include "png/png.h"
#include "png_stream_builder.h"

namespace {

using namespace pngtest;

struct FreeBlock {
  void operator()(void* p) const { std::free(p); }
};
using Block = std::unique_ptr<void, FreeBlock>;

// Found by the fuzz run: a 2-bit palette image with Sub rows. The portable
// row loop formed "the byte to the left" as an index that wrapped below 0,
// which the sanitizers report as pointer overflow.
const uint8_t kPaletteSubRows[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52,
    0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x20, 0x02, 0x03, 0x00, 0x00, 0x00, 0x0e, 0x14, 0x92,
    0x67, 0x00, 0x00, 0x00, 0x0c, 0x50, 0x4c, 0x54, 0x45, 0x00, 0x00, 0xff, 0x00, 0x00, 0xff, 0x00,
    0x00, 0xff, 0x00, 0x00, 0xff, 0xb5, 0x9f, 0x43, 0xce, 0x00, 0x00, 0x00, 0x03, 0x74, 0x52, 0x4e,
    0x53, 0x00, 0x55, 0xaa, 0x0b, 0xb9, 0x27, 0x39, 0x00, 0x00, 0x00, 0x14, 0x49, 0x44, 0x41, 0x54,
    0x78, 0x5e, 0x63, 0x64, 0x00, 0x82, 0x50, 0x20, 0x1e, 0x2c, 0x8c, 0x55, 0x83, 0x8b, 0x01, 0x00,
    0x2b, 0x17, 0x15, 0x61, 0x16, 0x33, 0x2e, 0x41, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44,
    0xae, 0x42, 0x60, 0x82,
};

TEST(PngRegression, TwoBitPaletteWithSubRowsDecodesInEveryForm) {
  Bytes stream(std::begin(kPaletteSubRows), std::end(kPaletteSubRows));
  for (int32_t target = 1; target <= 3; ++target) {
    PngContext context = {};
    context.input = stream.data();
    context.inputLength = uint32_t(stream.size());
    ASSERT_TRUE(PngParse(&context));
    Block fast(PngBuildImage(&context, target));
    Block reference(PngBuildImageBytewise(&context, target));
    ASSERT_NE(fast, nullptr);
    ASSERT_NE(reference, nullptr);
    size_t size = target == PngTarget::Image ? 32 + 32 * 128 : target == 1 ? 4 + 32 * 128 : 32 * 128;
    EXPECT_EQ(std::memcmp(fast.get(), reference.get(), size), 0) << target;
    PngRelease(&context);
  }
  Block image(PngDecodeMemory(stream.data(), int32_t(stream.size()), PngTarget::Image));
  ASSERT_NE(image, nullptr);
  // Index 0 is fully transparent by tRNS, the others are blue with alpha
  // 0x55, 0xAA, 0xFF in turn: every pixel is one of these four.
  for (uint32_t y = 0; y < 32; ++y) {
    for (uint32_t x = 0; x < 32; ++x) {
      uint32_t p = ImagePixel(image.get(), x, y);
      EXPECT_TRUE(p == 0x000000FFu || p == 0x550000FFu || p == 0xAA0000FFu || p == 0xFF0000FFu)
          << x << "," << y << " " << std::hex << p;
    }
  }
}

}  // namespace

// Every file of the PNG conformance suite: the corrupt ones (names starting
// with x) give no image in any form; every other one decodes, and in the
// native build libpng's samples of it and of the logo, put through this
// decoder's conversion rules, give the same pixels (skipped where libpng was
// not found).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "png/png.h"
#include "png_suite_files.h"

#if defined(POMARELO_HAVE_LIBPNG)
#include <png.h>
#endif

namespace {

struct FreeBlock {
  void operator()(void* p) const { std::free(p); }
};
using Block = std::unique_ptr<void, FreeBlock>;

bool IsCorrupt(const std::string& path) { return pngtest::BaseName(path)[0] == 'x'; }

TEST(PngSuite, CorruptFilesGiveNoImage) {
  std::vector<std::string> files = pngtest::SuiteFiles();
  if (files.empty()) GTEST_SKIP() << "PNG conformance suite not found at " << POMARELO_PNGSUITE_DIR;
  int corrupt = 0;
  for (const std::string& path : files) {
    if (!IsCorrupt(path)) continue;
    ++corrupt;
    for (int32_t target = 1; target <= 3; ++target) {
      EXPECT_EQ(Block(PngDecodeFile(path.c_str(), target)), nullptr) << path << " target " << target;
    }
  }
  EXPECT_GE(corrupt, 10);
}

TEST(PngSuite, EveryOtherFileDecodesInEveryForm) {
  std::vector<std::string> files = pngtest::SuiteFiles();
  if (files.empty()) GTEST_SKIP() << "PNG conformance suite not found at " << POMARELO_PNGSUITE_DIR;
  int good = 0;
  for (const std::string& path : files) {
    if (IsCorrupt(path)) continue;
    ++good;
    for (int32_t target = 1; target <= 3; ++target) {
      EXPECT_NE(Block(PngDecodeFile(path.c_str(), target)), nullptr) << path << " target " << target;
    }
  }
  EXPECT_GE(good, 150);
}

#if defined(POMARELO_HAVE_LIBPNG)

// What libpng reads: the samples, one byte per sample below 8 bits, 16-bit
// samples big-endian, deinterlaced; plus PLTE and tRNS as it keeps them.
struct LibpngImage {
  uint32_t width = 0, height = 0;
  int depth = 0, colour = 0;
  std::vector<uint8_t> samples;
  size_t rowBytes = 0;
  std::vector<png_color> palette;
  std::vector<uint8_t> paletteAlpha;
  bool hasKey = false;
  png_color_16 key = {};
};

void IgnoreWarning(png_structp, png_const_charp) {}

bool ReadWithLibpng(const std::string& path, LibpngImage* image) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, IgnoreWarning);
  png_infop info = png_create_info_struct(png);
  std::vector<png_bytep> rows;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return false;
  }
  png_init_io(png, file);
  png_read_info(png, info);
  png_uint_32 width, height;
  int interlace;
  png_get_IHDR(png, info, &width, &height, &image->depth, &image->colour, &interlace, nullptr,
               nullptr);
  image->width = width;
  image->height = height;
  if (image->depth < 8) png_set_packing(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  image->rowBytes = png_get_rowbytes(png, info);
  image->samples.assign(image->rowBytes * height, 0);
  for (uint32_t y = 0; y < height; ++y) rows.push_back(&image->samples[y * image->rowBytes]);
  png_read_image(png, rows.data());
  png_colorp palette;
  int paletteCount = 0;
  if (png_get_PLTE(png, info, &palette, &paletteCount) & PNG_INFO_PLTE) {
    image->palette.assign(palette, palette + paletteCount);
  }
  png_bytep alpha;
  int alphaCount = 0;
  png_color_16p key;
  if (png_get_tRNS(png, info, &alpha, &alphaCount, &key) & PNG_INFO_tRNS) {
    image->hasKey = true;
    if (image->colour == 3) image->paletteAlpha.assign(alpha, alpha + alphaCount);
    else image->key = *key;
  }
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(file);
  return true;
}

uint32_t Pixel(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return a << 24 | r << 16 | g << 8 | b; }

// This decoder's conversion rules applied to libpng's samples: 16-bit
// samples keep their high byte, sub-byte grey is scaled to 8 bits, tRNS
// keys are compared with all 16 bits as stored, palette entries that PLTE
// did not supply are black, and alpha beyond tRNS is 255.
uint32_t ExpectedPixel(const LibpngImage& im, uint32_t x, uint32_t y) {
  const uint8_t* row = &im.samples[y * im.rowBytes];
  const bool wide = im.depth == 16;
  const size_t step = wide ? 2 : 1;
  auto sample = [&](size_t index) -> uint32_t {
    const uint8_t* s = row + (size_t(x) * [&] {
      switch (im.colour) {
        case 2: return 3;
        case 4: return 2;
        case 6: return 4;
        default: return 1;
      }
    }() + index) * step;
    return wide ? uint32_t(s[0] << 8 | s[1]) : s[0];
  };
  auto high = [&](uint32_t v) { return wide ? v >> 8 : v; };
  switch (im.colour) {
    case 0: {
      uint32_t v = sample(0);
      uint32_t grey = wide ? v >> 8 : v * (255 / ((1u << im.depth) - 1));
      uint32_t alpha = im.hasKey && v == im.key.gray ? 0 : 255;
      return Pixel(alpha, grey, grey, grey);
    }
    case 3: {
      uint32_t i = sample(0);
      png_color c = i < im.palette.size() ? im.palette[i] : png_color{0, 0, 0};
      uint32_t alpha = i < im.paletteAlpha.size() ? im.paletteAlpha[i] : 255;
      return Pixel(alpha, c.red, c.green, c.blue);
    }
    case 2: {
      uint32_t r = sample(0), g = sample(1), b = sample(2);
      bool keyed = im.hasKey && r == im.key.red && g == im.key.green && b == im.key.blue;
      return Pixel(keyed ? 0 : 255, high(r), high(g), high(b));
    }
    case 4: return Pixel(high(sample(1)), high(sample(0)), high(sample(0)), high(sample(0)));
    default: return Pixel(high(sample(3)), high(sample(0)), high(sample(1)), high(sample(2)));
  }
}

TEST(PngSuiteAgainstLibpng, PixelsMatchUnderTheConversionRules) {
  std::vector<std::string> files = pngtest::SuiteFiles();
  if (files.empty()) GTEST_SKIP() << "PNG conformance suite not found at " << POMARELO_PNGSUITE_DIR;
  int compared = 0;
  for (const std::string& path : files) {
    if (IsCorrupt(path)) continue;
    LibpngImage reference;
    ASSERT_TRUE(ReadWithLibpng(path, &reference)) << path;
    Block image(PngDecodeFile(path.c_str(), PngTarget::Image));
    ASSERT_NE(image, nullptr) << path;
    uint32_t header[5];
    std::memcpy(header, image.get(), sizeof header);
    ASSERT_EQ(header[2], reference.width) << path;
    ASSERT_EQ(header[3], reference.height) << path;
    const uint8_t* pixels = static_cast<const uint8_t*>(image.get()) + 32;
    int mismatches = 0;
    for (uint32_t y = 0; y < reference.height && mismatches < 3; ++y) {
      for (uint32_t x = 0; x < reference.width && mismatches < 3; ++x) {
        uint32_t got;
        std::memcpy(&got, pixels + size_t(y) * header[4] + x * 4, 4);
        uint32_t want = ExpectedPixel(reference, x, y);
        if (got != want) {
          ++mismatches;
          ADD_FAILURE() << path << " (" << x << ", " << y << "): got " << std::hex << got
                        << " want " << want;
        }
      }
    }
    ++compared;
  }
  EXPECT_GE(compared, 150);
}

TEST(PngLogoAgainstLibpng, PixelsMatchUnderTheConversionRules) {
  Block image(PngDecodeFile(POMARELO_LOGO_PATH, PngTarget::Image));
  ASSERT_NE(image, nullptr) << POMARELO_LOGO_PATH;
  const uint8_t* pixels = static_cast<const uint8_t*>(image.get()) + 32;
  LibpngImage reference;
  ASSERT_TRUE(ReadWithLibpng(POMARELO_LOGO_PATH, &reference));
  int mismatches = 0;
  for (uint32_t y = 0; y < 900; ++y) {
    for (uint32_t x = 0; x < 1440; ++x) {
      uint32_t got;
      std::memcpy(&got, pixels + y * 5760 + x * 4, 4);
      mismatches += got != ExpectedPixel(reference, x, y);
    }
  }
  EXPECT_EQ(mismatches, 0);
}

#elif defined(POMARELO_LIBPNG_MISSING)

TEST(PngSuiteAgainstLibpng, PixelsMatchUnderTheConversionRules) {
  GTEST_SKIP() << "libpng, the reference, was not found when this was built";
}

TEST(PngLogoAgainstLibpng, PixelsMatchUnderTheConversionRules) {
  GTEST_SKIP() << "libpng, the reference, was not found when this was built";
}

#endif

// The saver's own logo: 1440 x 900 RGBA with sBIT, pHYs and tEXt chunks that
// are checked and skipped, transparent white at its corners and centre.
TEST(PngLogo, DecodesToTheExpectedImage) {
  int32_t size = 0;
  Block bytes(ReadWholeFile(POMARELO_LOGO_PATH, &size));
  ASSERT_NE(bytes, nullptr) << "no logo at " << POMARELO_LOGO_PATH;
  PngContext context = {};
  context.input = static_cast<const uint8_t*>(bytes.get());
  context.inputLength = uint32_t(size);
  ASSERT_TRUE(PngParse(&context));
  EXPECT_EQ(context.dataSize, 5184900u);  // 900 rows of 1 + 5760 bytes
  EXPECT_GE(PngFindChunk(&context, "tEXt", 0), 1);
  PngRelease(&context);
  Block image(PngDecodeMemory(bytes.get(), size, PngTarget::Image));
  ASSERT_NE(image, nullptr);
  uint32_t header[8];
  std::memcpy(header, image.get(), sizeof header);
  EXPECT_EQ(header[0], 7u);
  EXPECT_EQ(header[2], 1440u);
  EXPECT_EQ(header[3], 900u);
  EXPECT_EQ(header[4], 5760u);
  const uint8_t* pixels = static_cast<const uint8_t*>(image.get()) + 32;
  for (auto xy : {std::pair<int, int>{0, 0}, {720, 450}, {1439, 899}}) {
    uint32_t p;
    std::memcpy(&p, pixels + xy.second * 5760 + xy.first * 4, 4);
    EXPECT_EQ(p, 0x00FFFFFFu) << xy.first << "," << xy.second;
  }
}

}  // namespace

// Inflation, reconstruction, conversion rules and the three output forms.
#include <cstdlib>
#include <cstring>
#include <memory>

#include <gtest/gtest.h>

#include "png/png.h"
#include "png/png_internal.h"
#include "raster/image_header.h"
#include "png_stream_builder.h"

namespace {

using namespace pngtest;

Bytes WithIdat(uint32_t width, uint32_t height, uint8_t depth, uint8_t colour, const Bytes& zlib) {
  return Stream().Ihdr(width, height, depth, colour).Idat(zlib).End().bytes();
}

// 3 x 2 grey, 8 bits: raw size 2 x 4 = 8.
const Bytes kRaw3x2 = {0, 1, 2, 3, 0, 4, 5, 6};

TEST(PngInflation, MustGiveExactlyTheRawSize) {
  EXPECT_NE(Decode(WithIdat(3, 2, 8, 0, Zlib(kRaw3x2))), nullptr);
  Bytes shorter(kRaw3x2.begin(), kRaw3x2.end() - 1);
  EXPECT_EQ(Decode(WithIdat(3, 2, 8, 0, Zlib(shorter))), nullptr);
  Bytes longer = kRaw3x2;
  longer.push_back(0);
  EXPECT_EQ(Decode(WithIdat(3, 2, 8, 0, Zlib(longer))), nullptr);
  Bytes muchLonger = kRaw3x2;
  muchLonger.resize(4096, 0);
  EXPECT_EQ(Decode(WithIdat(3, 2, 8, 0, Zlib(muchLonger))), nullptr);
}

TEST(PngInflation, BrokenZlibStreamsAreRefused) {
  Bytes z = Zlib(kRaw3x2);
  Bytes truncated(z.begin(), z.end() - 1);
  EXPECT_EQ(Decode(WithIdat(3, 2, 8, 0, truncated)), nullptr);
  Bytes badAdler = z;
  badAdler.back() ^= 0x01;
  EXPECT_EQ(Decode(WithIdat(3, 2, 8, 0, badAdler)), nullptr);
  // The same deflate data behind a header that asks for a preset dictionary
  // (FDICT set, check bits fixed up, dictionary id 1).
  Bytes withDictionary = {0x78, 0};
  withDictionary[1] = uint8_t(0x20 | (31 - ((0x78 * 256 + 0x20) % 31)));
  withDictionary.insert(withDictionary.end(), {0, 0, 0, 1});
  withDictionary.insert(withDictionary.end(), z.begin() + 2, z.end());
  EXPECT_EQ(Decode(WithIdat(3, 2, 8, 0, withDictionary)), nullptr);
}

TEST(PngInflation, BytesBehindTheZlibStreamAreIgnored) {
  Bytes z = Zlib(kRaw3x2);
  z.insert(z.end(), {1, 2, 3, 4, 5});
  Block image = Decode(WithIdat(3, 2, 8, 0, z));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(ImagePixel(image.get(), 2, 1), 0xFF060606u);
}

TEST(PngInflation, HeaderPromisingMoreThanTheStreamCanHoldIsRefused) {
  // 60000 x 60000 RGBA: 14.4 GB of raw data from a few bytes.
  // 20000 x 20000 1-bit grey: 50 MB claimed, but 16 bytes of zlib data can
  // hold at most about 18 KB.
  for (const Bytes& stream : {WithIdat(60000, 60000, 8, 6, Zlib(kRaw3x2)),
                              WithIdat(20000, 20000, 1, 0, Zlib(kRaw3x2))}) {
    EXPECT_EQ(Decode(stream), nullptr);
    // Refused by the parse, before the image data is gathered or inflated.
    PngContext context = {};
    context.input = stream.data();
    context.inputLength = uint32_t(stream.size());
    EXPECT_FALSE(png_internal::ParseLeavingImageDataDeflated(&context));
    EXPECT_EQ(context.data, nullptr);
    PngRelease(&context);
  }
}

TEST(PngInflation, OutputsBeyondTheImageLimitAreRefusedBeforeAllocating) {
  // 1-bit grey 32767 x 32767: 134 MB of raw data, which about 130 KB of
  // zlib data can hold, but an output of 4 GiB.
  PngContext c = {};
  c.width = c.height = 32767;
  c.bitDepth = 1;
  png_internal::OutputLayout layout;
  for (int32_t target : {PngTarget::Image, PngTarget::RgbaBottomUp}) {
    EXPECT_TRUE(png_internal::InflationPossible(PngRawSize(&c), 130 * 1024));
    EXPECT_FALSE(png_internal::LayoutFor(&c, target, &layout)) << target;
  }
  // The limit itself is allowed; one row more is not.
  c.width = c.height = 8192;
  ASSERT_TRUE(png_internal::LayoutFor(&c, PngTarget::Image, &layout));
  EXPECT_EQ(layout.blockSize, 32 + kMaxImagePixelBytes);
  c.height = 8193;
  EXPECT_FALSE(png_internal::LayoutFor(&c, PngTarget::Image, &layout));
  // The whole decode refuses such an image: 8 MB of raw data, 256 MiB out.
  Bytes raw(size_t(8193) * (1 + 8192 / 8), 0);
  EXPECT_EQ(Decode(WithIdat(8192, 8193, 1, 0, Zlib(raw, 9))), nullptr);
}

TEST(PngInflation, TheExpansionBoundAdmitsZlibsBestCompression) {
  // Zeros at level 9 come close to deflate's limit; such an image decodes.
  const uint32_t width = 65536, height = 128;  // 1-bit grey, 8 KB a row
  Bytes raw(size_t(height) * (1 + width / 8), 0);
  Bytes z = Zlib(raw, 9);
  EXPECT_GT(raw.size() / z.size(), 900u);
  EXPECT_TRUE(png_internal::InflationPossible(raw.size(), z.size()));
  Block image = Decode(WithIdat(width, height, 1, 0, z), PngTarget::RgbaBottomUp);
  ASSERT_NE(image, nullptr);
  const uint32_t* pixels = static_cast<const uint32_t*>(image.get());
  EXPECT_EQ(pixels[0], 0xFF000000u);
  EXPECT_EQ(pixels[size_t(width) * height - 1], 0xFF000000u);
  // Just beyond the bound, and sizes that can't be held in 32 bits.
  EXPECT_TRUE(png_internal::InflationPossible(1032 * 100 + 1032, 100));
  EXPECT_FALSE(png_internal::InflationPossible(1032 * 100 + 1033, 100));
  EXPECT_FALSE(png_internal::InflationPossible(0xFFFFFFFFull, 0x7FFFFFFF));
}

TEST(PngRowGeometry, RowBytesAndRawSize) {
  PngContext c = {};
  c.width = 10;
  c.height = 3;
  c.bitDepth = 1;
  c.colourType = 0;
  EXPECT_EQ(PngRowBytes(&c, 1), 3u);
  EXPECT_EQ(PngRowBytes(&c, 2), 0u);
  EXPECT_EQ(PngRawSize(&c), 9u);
  c.width = 1440;
  c.height = 900;
  c.bitDepth = 8;
  c.colourType = 6;
  EXPECT_EQ(PngRowBytes(&c, 1), 5761u);
  EXPECT_EQ(PngRawSize(&c), 5184900u);
  // Interlaced 1 x 1: passes 2, 4 and 6 start right of the only column and
  // are empty; 3, 5 and 7 have a row width but no rows; only pass 1 counts.
  c = {};
  c.width = c.height = 1;
  c.bitDepth = 8;
  c.interlaceMethod = 1;
  for (int pass : {1, 3, 5, 7}) EXPECT_EQ(PngRowBytes(&c, pass), 2u) << pass;
  for (int pass : {2, 4, 6}) EXPECT_EQ(PngRowBytes(&c, pass), 0u) << pass;
  EXPECT_EQ(PngRowBytes(&c, 8), 0u);
  EXPECT_EQ(PngRawSize(&c), 2u);
  // Row bytes fit in 64 bits for every header; rows times row bytes may
  // not, and is then reported as UINT64_MAX instead of wrapped.
  c.width = c.height = 0xFFFFFFFFu;
  c.bitDepth = 16;
  c.colourType = 6;
  c.interlaceMethod = 0;
  EXPECT_EQ(PngRowBytes(&c, 1), 1 + 0xFFFFFFFFull * 8);
  EXPECT_EQ(PngRawSize(&c), UINT64_MAX);
  c.interlaceMethod = 1;
  EXPECT_EQ(PngRawSize(&c), UINT64_MAX);
}

TEST(PngRowGeometry, ARawSizeBeyond2To64IsRefusedNotWrapped) {
  // 30064944281 row bytes x 4294942552 rows wraps to 9083800 in 64 bits.
  PngContext c = {};
  c.width = 3758118035u;
  c.height = 4294942552u;
  c.bitDepth = 16;
  c.colourType = 6;
  EXPECT_EQ(PngRawSize(&c), UINT64_MAX);
  // With data that inflates to exactly the wrapped size the parse refuses.
  Bytes stream = WithIdat(c.width, c.height, 16, 6, Zlib(Bytes(9083800, 0), 9));
  PngContext parsed = {};
  parsed.input = stream.data();
  parsed.inputLength = uint32_t(stream.size());
  EXPECT_FALSE(PngParse(&parsed));
  PngRelease(&parsed);
  EXPECT_EQ(Decode(stream), nullptr);
}

TEST(PngReconstruction, FilterTypeAbove4FailsWherePlaced) {
  Bytes raw(3 * 4, 0);  // 3 x 3 grey
  for (int row = 0; row < 3; ++row) raw[size_t(row) * 4] = uint8_t(row + 1);
  ASSERT_NE(Decode(WithIdat(3, 3, 8, 0, Zlib(raw))), nullptr);
  for (int row = 0; row < 3; ++row) {
    Bytes bad = raw;
    bad[size_t(row) * 4] = 5;
    EXPECT_EQ(Decode(WithIdat(3, 3, 8, 0, Zlib(bad))), nullptr) << "row " << row;
    bad[size_t(row) * 4] = 255;
    EXPECT_EQ(Decode(WithIdat(3, 3, 8, 0, Zlib(bad))), nullptr) << "row " << row;
  }
}

uint8_t UnfilterOne(uint32_t filter, uint8_t x, uint8_t a, uint8_t b, uint8_t c) {
  // Two rows of 2 data bytes with bpp 1: [f c b] [f a x].
  uint8_t rows[6] = {uint8_t(filter), c, b, uint8_t(filter), a, x};
  EXPECT_TRUE(PngUnfilterByte(&rows[5], filter, 1, 1, 3, 1));
  return rows[5];
}

TEST(PngReconstruction, PredictorsIncludingPaethTies) {
  EXPECT_EQ(UnfilterOne(0, 5, 10, 20, 30), 5);
  EXPECT_EQ(UnfilterOne(1, 5, 10, 20, 30), 15);
  EXPECT_EQ(UnfilterOne(2, 5, 10, 20, 30), 25);
  EXPECT_EQ(UnfilterOne(3, 0, 255, 254, 0), 254);  // (255 + 254) div 2, no 8-bit overflow
  EXPECT_EQ(UnfilterOne(1, 200, 100, 0, 0), 44);   // modulo 256
  // a = b = c: the predictor is a.
  EXPECT_EQ(UnfilterOne(4, 0, 7, 7, 7), 7);
  // p = 20: pa = 20 > pb = pc = 10: the predictor is b, not c.
  EXPECT_EQ(UnfilterOne(4, 0, 0, 30, 10), 30);
  // pa = pb = 10 < pc = 20: a wins the tie.
  EXPECT_EQ(UnfilterOne(4, 0, 10, 20, 20), 10);
  uint8_t byte = 9;
  EXPECT_FALSE(PngUnfilterByte(&byte, 5, 0, 0, 2, 1));
  EXPECT_EQ(byte, 9);
}

TEST(PngReconstruction, EdgesReadZeroOutsideTheRowAndPass) {
  // k below bpp and row index 0: a, b and c are all 0, whatever lies before.
  uint8_t rows[8] = {99, 99, 99, 99, 99, 99, 4, 50};
  EXPECT_TRUE(PngUnfilterByte(&rows[7], 4, 0, 0, 3, 1));
  EXPECT_EQ(rows[7], 50);
  EXPECT_TRUE(PngUnfilterByte(&rows[7], 3, 0, 0, 3, 1));
  EXPECT_EQ(rows[7], 50);
}

TEST(PngConversion, OneBitGreyTenWideIgnoresSpareBits) {
  // Row bytes 3: the last 6 bits of every row are spare, set here.
  Bytes raw = {0, 0b10100000, 0b01111111, 0, 0b11111111, 0b11111111};
  Block image = Decode(WithIdat(10, 2, 1, 0, Zlib(raw)));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(HeaderWord(image.get(), 4), 64u);  // pitch: 40 raised to 64
  uint32_t expected[10] = {0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF, 0xFF000000, 0xFF000000,
                           0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000, 0xFFFFFFFF};
  for (uint32_t x = 0; x < 10; ++x) {
    EXPECT_EQ(ImagePixel(image.get(), x, 0), expected[x]) << x;
    EXPECT_EQ(ImagePixel(image.get(), x, 1), 0xFFFFFFFFu) << x;
  }
  for (uint32_t y = 0; y < 2; ++y) {
    for (uint32_t x = 10; x < 16; ++x) EXPECT_EQ(ImagePixel(image.get(), x, y), 0u);
  }
}

TEST(PngConversion, SubByteGreyIsScaled) {
  Block two = Decode(WithIdat(2, 1, 2, 0, Zlib({0, 0b10110000})));
  ASSERT_NE(two, nullptr);
  EXPECT_EQ(ImagePixel(two.get(), 0, 0), 0xFFAAAAAAu);  // 2 x 85
  EXPECT_EQ(ImagePixel(two.get(), 1, 0), 0xFFFFFFFFu);
  Block four = Decode(WithIdat(2, 1, 4, 0, Zlib({0, 0x1E})));
  ASSERT_NE(four, nullptr);
  EXPECT_EQ(ImagePixel(four.get(), 0, 0), 0xFF111111u);
  EXPECT_EQ(ImagePixel(four.get(), 1, 0), 0xFFEEEEEEu);
}

Bytes GreyWithTrns(uint8_t depth, const Bytes& raw, uint32_t width, uint16_t key) {
  Stream s;
  s.Ihdr(width, 1, depth, 0).Add("tRNS", {uint8_t(key >> 8), uint8_t(key)}).Idat(Zlib(raw)).End();
  return s.bytes();
}

TEST(PngConversion, SixteenBitGreyKeepsTheHighByteAndComparesAllBits) {
  Bytes raw = {0, 0x12, 0x34, 0x12, 0x35};
  Block plain = Decode(WithIdat(2, 1, 16, 0, Zlib(raw)));
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(ImagePixel(plain.get(), 0, 0), 0xFF121212u);
  Block keyed = Decode(GreyWithTrns(16, raw, 2, 0x1234));
  ASSERT_NE(keyed, nullptr);
  EXPECT_EQ(ImagePixel(keyed.get(), 0, 0), 0x00121212u);
  EXPECT_EQ(ImagePixel(keyed.get(), 1, 0), 0xFF121212u);
}

TEST(PngConversion, GreyKeyIsComparedWithoutMasking) {
  // 0x0100 never equals an 8-bit sample, 0x0000 masked would.
  Block eight = Decode(GreyWithTrns(8, {0, 0x00, 0x01}, 2, 0x0100));
  ASSERT_NE(eight, nullptr);
  EXPECT_EQ(ImagePixel(eight.get(), 0, 0), 0xFF000000u);
  EXPECT_EQ(ImagePixel(eight.get(), 1, 0), 0xFF010101u);
  // 2-bit samples: the key 5 is outside 0..3 and matches nothing; 1 matches.
  Block outside = Decode(GreyWithTrns(2, {0, 0b01010000}, 2, 5));
  ASSERT_NE(outside, nullptr);
  EXPECT_EQ(ImagePixel(outside.get(), 0, 0), 0xFF555555u);
  Block inside = Decode(GreyWithTrns(2, {0, 0b01100000}, 2, 1));
  ASSERT_NE(inside, nullptr);
  EXPECT_EQ(ImagePixel(inside.get(), 0, 0), 0x00555555u);
  EXPECT_EQ(ImagePixel(inside.get(), 1, 0), 0xFFAAAAAAu);
}

TEST(PngConversion, RgbKeyNeedsAllThreeSixteenBitSamples) {
  Bytes raw = {0, 0x10, 0x01, 0x20, 0x02, 0x30, 0x03, 0x10, 0x01, 0x20, 0x02, 0x30, 0x04};
  Stream s;
  s.Ihdr(2, 1, 16, 2).Add("tRNS", {0x10, 0x01, 0x20, 0x02, 0x30, 0x03}).Idat(Zlib(raw)).End();
  Block image = Decode(s.bytes());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(ImagePixel(image.get(), 0, 0), 0x00102030u);
  EXPECT_EQ(ImagePixel(image.get(), 1, 0), 0xFF102030u);
  // 8 bits: a key sample of 256 or more never matches.
  Stream t;
  t.Ihdr(2, 1, 8, 2).Add("tRNS", {0, 1, 0, 2, 0, 3}).Idat(Zlib({0, 1, 2, 3, 1, 2, 4})).End();
  image = Decode(t.bytes());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(ImagePixel(image.get(), 0, 0), 0x00010203u);
  EXPECT_EQ(ImagePixel(image.get(), 1, 0), 0xFF010204u);
  Stream u;
  u.Ihdr(1, 1, 8, 2).Add("tRNS", {1, 1, 0, 2, 0, 3}).Idat(Zlib({0, 1, 2, 3})).End();
  image = Decode(u.bytes());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(ImagePixel(image.get(), 0, 0), 0xFF010203u);
}

TEST(PngConversion, PaletteIndexBeyondPlteIsOpaqueBlack) {
  // 4-bit indices 1 and 7 with two PLTE entries and no tRNS.
  Stream s;
  s.Ihdr(2, 1, 4, 3).Add("PLTE", {9, 8, 7, 6, 5, 4}).Idat(Zlib({0, 0x17})).End();
  Block image = Decode(s.bytes());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(ImagePixel(image.get(), 0, 0), 0xFF060504u);
  EXPECT_EQ(ImagePixel(image.get(), 1, 0), 0xFF000000u);
}

TEST(PngConversion, AlphaTypesTakeTheHighBytes) {
  Block ga16 = Decode(WithIdat(1, 1, 16, 4, Zlib({0, 0xAB, 0xCD, 0x80, 0x7F})));
  ASSERT_NE(ga16, nullptr);
  EXPECT_EQ(ImagePixel(ga16.get(), 0, 0), 0x80ABABABu);
  Block rgba16 = Decode(WithIdat(1, 1, 16, 6, Zlib({0, 1, 2, 3, 4, 5, 6, 7, 8})));
  ASSERT_NE(rgba16, nullptr);
  EXPECT_EQ(ImagePixel(rgba16.get(), 0, 0), 0x07010305u);
  Block rgba8 = Decode(WithIdat(1, 1, 8, 6, Zlib({0, 0x11, 0x22, 0x33, 0x44})));
  ASSERT_NE(rgba8, nullptr);
  EXPECT_EQ(ImagePixel(rgba8.get(), 0, 0), 0x44112233u);
}

TEST(PngInterlace, OneByOneUsesPassOneOnly) {
  Block image = Decode(Stream().Ihdr(1, 1, 8, 0, 1).Idat(Zlib({0, 0x77})).End().bytes());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(ImagePixel(image.get(), 0, 0), 0xFF777777u);
}

TEST(PngInterlace, ThreeByThreeLandsWhereTheFlatImagePutsIt) {
  // Pixel (x, y) has grey 10 y + x + 1. Passes 1 (0,0), 4 (2,0),
  // 5 (0,2) (2,2), 6 (1,0) (1,2), 7 (0,1) (1,1) (2,1).
  auto g = [](int x, int y) { return uint8_t(10 * y + x + 1); };
  Bytes interlaced = {0, g(0, 0),  0, g(2, 0),  0, g(0, 2), g(2, 2), 0, g(1, 0), 0, g(1, 2),
                      0, g(0, 1), g(1, 1), g(2, 1)};
  Bytes flat;
  for (int y = 0; y < 3; ++y) flat.insert(flat.end(), {0, g(0, y), g(1, y), g(2, y)});
  Block a = Decode(Stream().Ihdr(3, 3, 8, 0, 1).Idat(Zlib(interlaced)).End().bytes());
  Block b = Decode(Stream().Ihdr(3, 3, 8, 0, 0).Idat(Zlib(flat)).End().bytes());
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(std::memcmp(a.get(), b.get(), 32 + 3 * 32), 0);
  EXPECT_EQ(ImagePixel(a.get(), 2, 1), 0xFF0D0D0Du);
}

TEST(PngInterlace, FiltersStartOverInEachPass) {
  // 3 x 3: pass 5 is one row of 2 bytes (index 4 is its filter byte),
  // pass 6 two rows of 1 byte (filter bytes at 7 and 9).
  const Bytes interlaced = {0, 1, 0, 2, 0, 3, 4, 0, 5, 0, 6, 0, 7, 8, 9};
  Bytes withUp = interlaced;
  withUp[4] = 2;  // the first row of a pass has a zero row above it
  withUp[9] = 2;  // the second row of pass 6 adds the first one: 6 + 5
  Block a = Decode(Stream().Ihdr(3, 3, 8, 0, 1).Idat(Zlib(interlaced)).End().bytes());
  Block b = Decode(Stream().Ihdr(3, 3, 8, 0, 1).Idat(Zlib(withUp)).End().bytes());
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(ImagePixel(b.get(), 0, 2), 0xFF030303u);
  EXPECT_EQ(ImagePixel(b.get(), 2, 2), 0xFF040404u);
  EXPECT_EQ(ImagePixel(a.get(), 1, 2), 0xFF060606u);
  EXPECT_EQ(ImagePixel(b.get(), 1, 2), 0xFF0B0B0Bu);
}

TEST(PngTargets, RgbaBottomUpFlipsRowsAndOrdersBytesRgba) {
  Bytes raw = {0, 0x11, 0x22, 0x33, 0xFF, 1, 2, 3, 4, 0, 5, 6, 7, 8, 9, 10, 11, 12};
  Block image = Decode(WithIdat(2, 2, 8, 6, Zlib(raw)), PngTarget::RgbaBottomUp);
  ASSERT_NE(image, nullptr);
  const uint8_t* bytes = static_cast<const uint8_t*>(image.get());
  const uint8_t expected[16] = {5, 6, 7, 8, 9, 10, 11, 12, 0x11, 0x22, 0x33, 0xFF, 1, 2, 3, 4};
  EXPECT_EQ(std::memcmp(bytes, expected, 16), 0);
}

TEST(PngTargets, ShortHeaderWordsAndRows) {
  Bytes raw;
  for (int y = 0; y < 480; ++y) {
    raw.push_back(0);
    raw.insert(raw.end(), 640, uint8_t(y));
  }
  Block image = Decode(WithIdat(640, 480, 8, 0, Zlib(raw)), PngTarget::ShortHeaderImage);
  ASSERT_NE(image, nullptr);
  uint16_t words[2];
  std::memcpy(words, image.get(), 4);
  EXPECT_EQ(words[0], 5124);
  EXPECT_EQ(words[1], 480);
  uint32_t last;
  std::memcpy(&last, static_cast<uint8_t*>(image.get()) + 4 + (479 * 640 + 639) * 4, 4);
  EXPECT_EQ(last, 0xFFDFDFDFu);
}

TEST(PngTargets, ShortHeaderRefusesSizesItCannotHold) {
  Bytes wide = {0};
  wide.insert(wide.end(), 8192 / 8, 0);
  EXPECT_EQ(Decode(WithIdat(8192, 1, 1, 0, Zlib(wide)), PngTarget::ShortHeaderImage), nullptr);
  EXPECT_NE(Decode(WithIdat(8192, 1, 1, 0, Zlib(wide)), PngTarget::Image), nullptr);
  Bytes almost = {0};
  almost.insert(almost.end(), 8191 / 8 + 1, 0);
  Block fits = Decode(WithIdat(8191, 1, 1, 0, Zlib(almost)), PngTarget::ShortHeaderImage);
  ASSERT_NE(fits, nullptr);
  uint16_t word;
  std::memcpy(&word, fits.get(), 2);
  EXPECT_EQ(word, uint16_t(8191 * 8 + 4));
  Bytes tall(65536 * 2, 0);
  EXPECT_EQ(Decode(WithIdat(1, 65536, 8, 0, Zlib(tall)), PngTarget::ShortHeaderImage), nullptr);
  EXPECT_NE(Decode(WithIdat(1, 65536, 8, 0, Zlib(tall)), PngTarget::Image), nullptr);
}

TEST(PngTargets, ImageHeaderPitchAndZeroedGaps) {
  for (uint32_t width : {1u, 8u, 9u, 1366u}) {
    Bytes raw = {0};
    raw.insert(raw.end(), width, 0xC8);
    Block image = Decode(WithIdat(width, 1, 8, 0, Zlib(raw)));
    ASSERT_NE(image, nullptr);
    uint32_t pitch = (width * 4 + 31) / 32 * 32;
    EXPECT_EQ(HeaderWord(image.get(), 0), 7u);
    EXPECT_EQ(HeaderWord(image.get(), 1), 4u);
    EXPECT_EQ(HeaderWord(image.get(), 2), width);
    EXPECT_EQ(HeaderWord(image.get(), 3), 1u);
    EXPECT_EQ(HeaderWord(image.get(), 4), pitch);
    for (int word = 5; word < 8; ++word) EXPECT_EQ(HeaderWord(image.get(), word), 0u);
    const uint8_t* row = static_cast<const uint8_t*>(image.get()) + 32;
    for (uint32_t i = width * 4; i < pitch; ++i) EXPECT_EQ(row[i], 0) << width << " " << i;
    EXPECT_EQ(ImagePixel(image.get(), width - 1, 0), 0xFFC8C8C8u);
  }
  EXPECT_EQ(HeaderWord(Decode(WithIdat(1366, 1, 8, 0, Zlib(Bytes(1367, 0)))).get(), 4), 5472u);
}

TEST(PngTargets, UnknownTargetGivesNullAfterAGoodParse) {
  Bytes stream = WithIdat(3, 2, 8, 0, Zlib(kRaw3x2));
  for (int32_t target : {0, 4, -1, 1000}) {
    EXPECT_EQ(Decode(stream, target), nullptr) << target;
  }
  PngContext context = {};
  context.input = stream.data();
  context.inputLength = uint32_t(stream.size());
  ASSERT_TRUE(PngParse(&context));
  EXPECT_EQ(PngBuildImage(&context, 4), nullptr);
  EXPECT_EQ(PngBuildImageBytewise(&context, 0), nullptr);
  Block good(PngBuildImage(&context, PngTarget::Image));
  EXPECT_NE(good, nullptr);
  PngRelease(&context);
  // Without a successful parse nothing is built.
  EXPECT_EQ(PngBuildImage(&context, PngTarget::Image), nullptr);
}

TEST(PngTargets, BuildRefusesAContextThatNoLongerMatchesItsData) {
  // A caller that edits a parsed context must not make the row loops read
  // past the raw data: RGBA needs four times the bytes of this grey image.
  Bytes stream = WithIdat(3, 2, 8, 0, Zlib(kRaw3x2));
  PngContext context = {};
  context.input = stream.data();
  context.inputLength = uint32_t(stream.size());
  ASSERT_TRUE(PngParse(&context));
  context.colourType = 6;
  EXPECT_EQ(PngBuildImage(&context, PngTarget::Image), nullptr);
  EXPECT_EQ(PngBuildImageBytewise(&context, PngTarget::Image), nullptr);
  context.colourType = 0;
  context.bytesPerPixel = 4;
  EXPECT_EQ(PngBuildImage(&context, PngTarget::Image), nullptr);
  context.bytesPerPixel = 1;
  context.width = 4;
  EXPECT_EQ(PngBuildImage(&context, PngTarget::Image), nullptr);
  context.width = 3;
  Block image(PngBuildImage(&context, PngTarget::Image));
  EXPECT_NE(image, nullptr);
  PngRelease(&context);
}

}  // namespace

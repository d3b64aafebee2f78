// The stream and chunk reader: entry checks, the chunk walk, CRCs, and the
// rules for IHDR, IDAT, PLTE and tRNS.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "png/png.h"
#include "png_stream_builder.h"

namespace {

using namespace pngtest;

// A 2 x 2 8-bit grey image: 0x10 0x20 / 0x30 0x40.
const Bytes kGreyRaw = {0, 0x10, 0x20, 0, 0x30, 0x40};

Stream GreyStart() {
  Stream s;
  s.Ihdr(2, 2, 8, 0);
  return s;
}

Bytes GoodGrey() { return GreyStart().Idat(Zlib(kGreyRaw)).End().bytes(); }

TEST(PngEntry, ShortInputIsRefusedWithoutBeingRead) {
  // An address that can't be read: any access would crash the test.
  const void* unreadable = reinterpret_cast<const void*>(uintptr_t(16));
  EXPECT_EQ(PngDecodeMemory(unreadable, 48, PngTarget::Image), nullptr);
  EXPECT_EQ(PngDecodeMemory(unreadable, -1, PngTarget::Image), nullptr);
  EXPECT_EQ(PngDecodeMemory(nullptr, 1000, PngTarget::Image), nullptr);
  Bytes good = GoodGrey();
  EXPECT_EQ(PngDecodeMemory(good.data(), 48, PngTarget::Image), nullptr);
}

TEST(PngEntry, AGoodStreamDecodesToItsPixels) {
  Block image = Decode(GoodGrey());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(ImagePixel(image.get(), 0, 0), 0xFF101010u);
  EXPECT_EQ(ImagePixel(image.get(), 1, 0), 0xFF202020u);
  EXPECT_EQ(ImagePixel(image.get(), 0, 1), 0xFF303030u);
  EXPECT_EQ(ImagePixel(image.get(), 1, 1), 0xFF404040u);
}

TEST(PngEntry, WrongSignatureIsRefused) {
  Bytes stream = GoodGrey();
  for (size_t i = 0; i < 8; ++i) {
    Bytes bad = stream;
    bad[i] ^= 0x20;
    EXPECT_EQ(Decode(bad), nullptr) << "signature byte " << i;
  }
}

TEST(PngChunkWalk, AnyBytesAfterIendAreRefused) {
  Bytes one = GoodGrey();
  one.push_back(0);
  EXPECT_EQ(Decode(one), nullptr);
  Bytes eight = GoodGrey();
  eight.insert(eight.end(), {0, 0, 0, 0, 'I', 'E', 'N', 'D'});
  EXPECT_EQ(Decode(eight), nullptr);
  // A whole, valid chunk after IEND leaves a last chunk that is not IEND.
  EXPECT_EQ(Decode(GreyStart().Idat(Zlib(kGreyRaw)).End().Add("tEXt", {'a', 0, 'b'}).bytes()),
            nullptr);
}

TEST(PngChunkWalk, OnlyTheLastChunkMustBeIend) {
  Bytes early = GreyStart().End().Add("tEXt", {'k', 0, 'v'}).Idat(Zlib(kGreyRaw)).End().bytes();
  EXPECT_NE(Decode(early), nullptr);
  Bytes noEnd = GreyStart().Idat(Zlib(kGreyRaw)).bytes();
  EXPECT_EQ(Decode(noEnd), nullptr);
  // IEND with a length field other than 0 (and data to match) is accepted.
  EXPECT_NE(Decode(GreyStart().Idat(Zlib(kGreyRaw)).Add("IEND", {1, 2}).bytes()), nullptr);
}

TEST(PngChunkWalk, ChunkRunningPastTheEndIsRefused) {
  Bytes stream = GoodGrey();
  // IEND's length says 1 byte more than there is; and near 2^32 it must not wrap.
  for (uint32_t length : {1u, 0xFFFFFFF4u, 0xFFFFFFFFu}) {
    Bytes bad = stream;
    size_t iend = bad.size() - 12;
    bad[iend] = uint8_t(length >> 24);
    bad[iend + 1] = uint8_t(length >> 16);
    bad[iend + 2] = uint8_t(length >> 8);
    bad[iend + 3] = uint8_t(length);
    EXPECT_EQ(Decode(bad), nullptr) << length;
  }
  Bytes cut = stream;
  cut.resize(cut.size() - 1);
  EXPECT_EQ(Decode(cut), nullptr);
}

TEST(PngChunkWalk, CrcMismatchInAnyChunkIsRefused) {
  Bytes stream = GreyStart().Add("tEXt", {'k', 0, 'v'}).Idat(Zlib(kGreyRaw)).End().bytes();
  ASSERT_NE(Decode(stream), nullptr);
  // Flip one bit in the tEXt data, in its stored CRC, and in IEND's CRC.
  const size_t textData = 8 + 25 + 8;
  for (size_t at : {textData + 2, textData + 3, stream.size() - 1}) {
    Bytes bad = stream;
    bad[at] ^= 0x01;
    EXPECT_EQ(Decode(bad), nullptr) << "byte " << at;
  }
}

TEST(PngChunkWalk, UnknownCriticalChunkWithGoodCrcIsIgnored) {
  Bytes stream = GreyStart().Add("ABCD", {1, 2, 3}).Idat(Zlib(kGreyRaw)).End().bytes();
  Block image = Decode(stream);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(ImagePixel(image.get(), 1, 1), 0xFF404040u);
}

TEST(PngChunkWalk, TooFewChunksIsRefused) {
  // IHDR and IEND only: two chunks (and no image data).
  EXPECT_EQ(Decode(Stream().Ihdr(1, 1, 8, 0).Add("IEND", Bytes(20)).bytes()), nullptr);
}

TEST(PngFindChunk, FindsFromTheStartIndex) {
  Bytes stream = GreyStart().Idat(Zlib(kGreyRaw)).Add("tEXt", {'a', 0}).Add("IDAT", {}).End().bytes();
  PngContext context = {};
  context.input = stream.data();
  context.inputLength = uint32_t(stream.size());
  ASSERT_TRUE(PngParse(&context));
  EXPECT_EQ(context.chunkCount, 5u);
  EXPECT_EQ(PngFindChunk(&context, "IDAT", 0), 1);
  EXPECT_EQ(PngFindChunk(&context, "IDAT", 1), 1);
  EXPECT_EQ(PngFindChunk(&context, "IDAT", 2), 3);
  EXPECT_EQ(PngFindChunk(&context, "IDAT", 4), -1);
  EXPECT_EQ(PngFindChunk(&context, "IEND", 0), 4);
  EXPECT_EQ(PngFindChunk(&context, "PLTE", 0), -1);
  EXPECT_EQ(PngFindChunk(&context, "IHDR", 99), -1);
  PngRelease(&context);
  EXPECT_EQ(context.chunks, nullptr);
  EXPECT_EQ(context.data, nullptr);
}

TEST(PngFindChunk, ATypeShorterThanFourCharactersMatchesNothingAndIsNotOverread) {
  // A chunk whose type bytes are "IH" and two zero bytes (the walk does not
  // judge type letters); only a type of four characters can match it.
  Bytes stream = GreyStart().Idat(Zlib(kGreyRaw)).Add("IH\0\0", {}).End().bytes();
  PngContext context = {};
  context.input = stream.data();
  context.inputLength = uint32_t(stream.size());
  ASSERT_TRUE(PngParse(&context));
  const char padded[4] = {'I', 'H', '\0', '\0'};
  EXPECT_EQ(PngFindChunk(&context, padded, 0), -1);
  // Exactly as long as the string: the address sanitizer build sees any
  // read past its terminator.
  std::unique_ptr<char[]> shortType(new char[3]{'I', 'D', '\0'});
  EXPECT_EQ(PngFindChunk(&context, shortType.get(), 0), -1);
  EXPECT_EQ(PngFindChunk(&context, "", 0), -1);
  EXPECT_EQ(PngFindChunk(&context, "IDATA", 0), -1);
  EXPECT_EQ(PngFindChunk(&context, "IDAT", 0), 1);
  PngRelease(&context);
}

TEST(PngHeader, IhdrMustBeFirstAnd13Bytes) {
  Bytes longer = IhdrData(2, 2, 8, 0);
  longer.push_back(0);
  EXPECT_EQ(Decode(Stream().Add("IHDR", longer).Idat(Zlib(kGreyRaw)).End().bytes()), nullptr);
  EXPECT_EQ(Decode(Stream().Add("tEXt", {'a', 0}).Ihdr(2, 2, 8, 0).Idat(Zlib(kGreyRaw)).End().bytes()),
            nullptr);
  // A second IHDR later on is not read: the first one's 2 x 2 grey holds.
  Block image = Decode(GreyStart().Ihdr(5, 5, 16, 6).Idat(Zlib(kGreyRaw)).End().bytes());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(HeaderWord(image.get(), 2), 2u);
  EXPECT_EQ(ImagePixel(image.get(), 1, 0), 0xFF202020u);
}

TEST(PngHeader, ValuesOutsideTheTableAreRefused) {
  struct Case {
    Bytes ihdr;
    const char* why;
  } cases[] = {
      {IhdrData(0, 2, 8, 0), "width 0"},
      {IhdrData(2, 0, 8, 0), "height 0"},
      {IhdrData(2, 2, 4, 2), "RGB at 4 bits"},
      {IhdrData(2, 2, 16, 3), "palette at 16 bits"},
      {IhdrData(2, 2, 3, 0), "grey at 3 bits"},
      {IhdrData(2, 2, 8, 1), "colour type 1"},
      {IhdrData(2, 2, 8, 5), "colour type 5"},
      {IhdrData(2, 2, 8, 7), "colour type 7"},
      {IhdrData(2, 2, 8, 0, 2), "interlace method 2"},
      {IhdrData(2, 2, 8, 0, 0, 1), "compression method 1"},
      {IhdrData(2, 2, 8, 0, 0, 0, 1), "filter method 1"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Decode(Stream().Add("IHDR", c.ihdr).Idat(Zlib(kGreyRaw)).End().bytes()), nullptr)
        << c.why;
  }
}

TEST(PngHeader, EveryAllowedTypeAndDepthDecodes) {
  struct Allowed {
    uint8_t colour;
    uint8_t depth;
    uint32_t channels;
  } allowed[] = {{0, 1, 1}, {0, 2, 1}, {0, 4, 1}, {0, 8, 1}, {0, 16, 1}, {3, 1, 1},
                 {3, 2, 1}, {3, 4, 1}, {3, 8, 1}, {2, 8, 3}, {2, 16, 3}, {4, 8, 2},
                 {4, 16, 2}, {6, 8, 4}, {6, 16, 4}};
  for (const Allowed& a : allowed) {
    uint32_t width = 3;
    size_t dataBytes = (size_t(width) * a.depth * a.channels + 7) / 8;
    Bytes raw;
    for (int row = 0; row < 2; ++row) {
      raw.push_back(0);
      raw.insert(raw.end(), dataBytes, 0x55);
    }
    std::vector<std::pair<std::string, Bytes>> extra;
    if (a.colour == 3) extra.push_back({"PLTE", Bytes(3 * 256, 0x99)});
    Block image = Decode(SimplePng(width, 2, a.depth, a.colour, raw, extra));
    EXPECT_NE(image, nullptr) << "colour " << int(a.colour) << " depth " << int(a.depth);
  }
}

TEST(PngImageData, IdatChunksAreJoinedInStreamOrder) {
  Bytes z = Zlib(kGreyRaw);
  size_t third = z.size() / 3;
  Bytes a(z.begin(), z.begin() + long(third));
  Bytes b(z.begin() + long(third), z.begin() + long(2 * third));
  Bytes c(z.begin() + long(2 * third), z.end());
  Block image = Decode(GreyStart().Idat(a).Add("tEXt", {'k', 0}).Idat(b).Idat({}).Idat(c).End().bytes());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(ImagePixel(image.get(), 0, 1), 0xFF303030u);
  // Out of order, the zlib stream is broken.
  EXPECT_EQ(Decode(GreyStart().Idat(b).Idat(a).Idat(c).End().bytes()), nullptr);
}

TEST(PngImageData, MissingOrEmptyImageDataIsRefused) {
  EXPECT_EQ(Decode(GreyStart().Add("tEXt", {'k', 0}).End().bytes()), nullptr);
  EXPECT_EQ(Decode(GreyStart().Idat({}).Idat({}).End().bytes()), nullptr);
}

std::vector<std::pair<std::string, Bytes>> Palette(size_t bytes, uint8_t fill = 0x40) {
  return {{"PLTE", Bytes(bytes, fill)}};
}

// 2 x 1 palette image, indices 0 and 1.
const Bytes kIndexRaw = {0, 0, 1};

TEST(PngPalette, PaletteImageNeedsPlte) {
  EXPECT_EQ(Decode(SimplePng(2, 1, 8, 3, kIndexRaw)), nullptr);
  EXPECT_NE(Decode(SimplePng(2, 1, 8, 3, kIndexRaw, Palette(6))), nullptr);
}

TEST(PngPalette, EntryCountIsTheLengthDividedByThree) {
  // 256 entries and one spare byte decode; 259 entries are too many.
  Block full = Decode(SimplePng(2, 1, 8, 3, kIndexRaw, Palette(769, 0x21)));
  ASSERT_NE(full, nullptr);
  EXPECT_EQ(ImagePixel(full.get(), 1, 0), 0xFF212121u);
  EXPECT_EQ(Decode(SimplePng(2, 1, 8, 3, kIndexRaw, Palette(777))), nullptr);
  // Two bytes give an empty palette: every index is black.
  Block empty = Decode(SimplePng(2, 1, 8, 3, kIndexRaw, Palette(2, 0xEE)));
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(ImagePixel(empty.get(), 0, 0), 0xFF000000u);
}

TEST(PngPalette, FirstPlteCountsAndMayFollowIdat) {
  Stream s;
  s.Ihdr(2, 1, 8, 3).Idat(Zlib(kIndexRaw)).Add("PLTE", {1, 2, 3, 4, 5, 6}).Add("PLTE", Bytes(6, 9)).End();
  Block image = Decode(s.bytes());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(ImagePixel(image.get(), 0, 0), 0xFF010203u);
  EXPECT_EQ(ImagePixel(image.get(), 1, 0), 0xFF040506u);
}

TEST(PngPalette, PlteIsNotReadForOtherColourTypes) {
  Bytes rgbRaw = {0, 1, 2, 3};
  for (size_t length : {7u, 800u, 0u}) {
    Block image = Decode(SimplePng(1, 1, 8, 2, rgbRaw, Palette(length)));
    ASSERT_NE(image, nullptr) << length;
    EXPECT_EQ(ImagePixel(image.get(), 0, 0), 0xFF010203u);
  }
  // Its CRC is still verified.
  Bytes stream = SimplePng(1, 1, 8, 2, rgbRaw, Palette(9));
  stream[8 + 25 + 8 + 4] ^= 0x80;
  EXPECT_EQ(Decode(stream), nullptr);
}

std::vector<std::pair<std::string, Bytes>> Trns(const Bytes& data) { return {{"tRNS", data}}; }

TEST(PngTransparency, LengthRulesPerColourType) {
  Bytes grey = {0, 7};
  EXPECT_NE(Decode(SimplePng(1, 1, 8, 0, grey, Trns({0, 7}))), nullptr);
  EXPECT_EQ(Decode(SimplePng(1, 1, 8, 0, grey, Trns({0, 7, 0}))), nullptr);
  EXPECT_EQ(Decode(SimplePng(1, 1, 8, 0, grey, Trns({}))), nullptr);
  Bytes rgb = {0, 1, 2, 3};
  EXPECT_NE(Decode(SimplePng(1, 1, 8, 2, rgb, Trns(Bytes(6)))), nullptr);
  EXPECT_EQ(Decode(SimplePng(1, 1, 8, 2, rgb, Trns(Bytes(5)))), nullptr);
  EXPECT_EQ(Decode(SimplePng(1, 1, 8, 6, {0, 1, 2, 3, 4}, Trns({}))), nullptr);
  EXPECT_EQ(Decode(SimplePng(1, 1, 8, 4, {0, 1, 2}, Trns({0, 1}))), nullptr);
  auto plte = Palette(6);
  auto withTrns = [&](size_t length) {
    auto extra = plte;
    extra.push_back({"tRNS", Bytes(length, 0)});
    return SimplePng(2, 1, 8, 3, kIndexRaw, extra);
  };
  EXPECT_NE(Decode(withTrns(256)), nullptr);
  EXPECT_EQ(Decode(withTrns(257)), nullptr);
}

TEST(PngTransparency, PaletteAlphaFromTrnsAndOpaqueBeyondIt) {
  std::vector<std::pair<std::string, Bytes>> extra = {{"PLTE", {1, 1, 1, 2, 2, 2}}, {"tRNS", {0}}};
  Block image = Decode(SimplePng(2, 1, 8, 3, kIndexRaw, extra));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(ImagePixel(image.get(), 0, 0), 0x00010101u);
  EXPECT_EQ(ImagePixel(image.get(), 1, 0), 0xFF020202u);
  // Length 0: every entry opaque, and a later tRNS is ignored.
  extra = {{"PLTE", {1, 1, 1, 2, 2, 2}}, {"tRNS", {}}, {"tRNS", {0, 0}}};
  image = Decode(SimplePng(2, 1, 8, 3, kIndexRaw, extra));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(ImagePixel(image.get(), 0, 0), 0xFF010101u);
  EXPECT_EQ(ImagePixel(image.get(), 1, 0), 0xFF020202u);
}

class TempFile {
 public:
  explicit TempFile(const Bytes& bytes) {
    path_ = testing::TempDir() + "png_reader_test_" + std::to_string(counter_++) + ".png";
    FILE* f = std::fopen(path_.c_str(), "wb");
    if (f) {
      if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
      std::fclose(f);
    }
  }
  ~TempFile() { std::remove(path_.c_str()); }
  const char* path() const { return path_.c_str(); }

 private:
  static int counter_;
  std::string path_;
};
int TempFile::counter_ = 0;

TEST(PngFile, ReadWholeFileGivesTheBytesAndSize) {
  Bytes content = GoodGrey();
  TempFile file(content);
  int32_t size = -5;
  Block bytes(ReadWholeFile(file.path(), &size));
  ASSERT_NE(bytes, nullptr);
  ASSERT_EQ(size, int32_t(content.size()));
  EXPECT_EQ(std::memcmp(bytes.get(), content.data(), content.size()), 0);

  TempFile empty(Bytes{});
  size = -5;
  EXPECT_EQ(ReadWholeFile(empty.path(), &size), nullptr);
  EXPECT_EQ(size, 0);
  size = -5;
  EXPECT_EQ(ReadWholeFile((std::string(file.path()) + ".missing").c_str(), &size), nullptr);
  EXPECT_EQ(size, 0);
  size = -5;
  EXPECT_EQ(ReadWholeFile(nullptr, &size), nullptr);
  EXPECT_EQ(size, 0);
}

TEST(PngFile, DecodeFileMatchesDecodeMemory) {
  Bytes content = GoodGrey();
  TempFile file(content);
  Block fromFile(PngDecodeFile(file.path(), PngTarget::Image));
  Block fromMemory = Decode(content);
  ASSERT_NE(fromFile, nullptr);
  ASSERT_NE(fromMemory, nullptr);
  EXPECT_EQ(std::memcmp(fromFile.get(), fromMemory.get(), 32 + 2 * 32), 0);
  EXPECT_EQ(PngDecodeFile(nullptr, PngTarget::Image), nullptr);
  EXPECT_EQ(PngDecodeFile((std::string(file.path()) + ".missing").c_str(), PngTarget::Image), nullptr);
  Bytes broken = content;
  broken.back() ^= 1;
  TempFile bad(broken);
  EXPECT_EQ(PngDecodeFile(bad.path(), PngTarget::Image), nullptr);
}

}  // namespace

// The logo the program carries: its PNG stream layout and its picture,
// read with zlib alone so the check does not lean on the saver's decoder.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "resources/logo.h"

namespace {

constexpr uint32_t kWidth = 1440;
constexpr uint32_t kHeight = 900;
constexpr size_t kStride = 4 * kWidth;

uint32_t Be32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

struct Chunk {
  std::string type;
  const unsigned char* data;
  uint32_t length;
  bool crc_ok;
};

// Splits the stream into chunks; false if a chunk runs past the end.
bool SplitChunks(const unsigned char* png, size_t size, std::vector<Chunk>* out) {
  static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (size < 8 || std::memcmp(png, kSignature, 8) != 0) return false;
  size_t at = 8;
  while (at < size) {
    if (size - at < 12) return false;
    const uint32_t length = Be32(png + at);
    if (length > size - at - 12) return false;
    Chunk c;
    c.type.assign(reinterpret_cast<const char*>(png + at + 4), 4);
    c.data = png + at + 8;
    c.length = length;
    const uLong crc = crc32(0L, png + at + 4, length + 4);
    c.crc_ok = crc == Be32(png + at + 8 + length);
    out->push_back(c);
    at += 12 + static_cast<size_t>(length);
  }
  return true;
}

std::vector<Chunk> LogoChunks() {
  std::vector<Chunk> chunks;
  EXPECT_TRUE(SplitChunks(kLogoPng, kLogoPngSize, &chunks)) << "stream is cut short";
  return chunks;
}

int PaethPredictor(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

// The decoded logo: RGBA rows and the filter type of every row.
struct Picture {
  std::vector<unsigned char> rgba;
  std::vector<int> filters;
  const unsigned char* At(uint32_t x, uint32_t y) const { return &rgba[y * kStride + 4 * x]; }
};

bool DecodeLogo(Picture* out) {
  std::vector<unsigned char> joined;
  for (const Chunk& c : LogoChunks()) {
    if (c.type == "IDAT") joined.insert(joined.end(), c.data, c.data + c.length);
  }
  std::vector<unsigned char> raw(kHeight * (kStride + 1) + 1);
  uLongf raw_size = raw.size();
  if (uncompress(raw.data(), &raw_size, joined.data(), joined.size()) != Z_OK) return false;
  if (raw_size != kHeight * (kStride + 1)) return false;
  out->rgba.assign(kHeight * kStride, 0);
  std::vector<unsigned char> zero(kStride, 0);
  for (uint32_t y = 0; y < kHeight; ++y) {
    const unsigned char* in = &raw[y * (kStride + 1)];
    const int filter = in[0];
    ++in;
    unsigned char* row = &out->rgba[y * kStride];
    const unsigned char* prev = y ? row - kStride : zero.data();
    out->filters.push_back(filter);
    for (size_t i = 0; i < kStride; ++i) {
      const int a = i >= 4 ? row[i - 4] : 0;
      const int b = prev[i];
      const int c = i >= 4 ? prev[i - 4] : 0;
      int predictor;
      switch (filter) {
        case 0: predictor = 0; break;
        case 1: predictor = a; break;
        case 2: predictor = b; break;
        case 3: predictor = (a + b) / 2; break;
        case 4: predictor = PaethPredictor(a, b, c); break;
        default: return false;
      }
      row[i] = static_cast<unsigned char>(in[i] + predictor);
    }
  }
  return true;
}

TEST(LogoStream, HasTheChunkLayoutOfTheShopsLogo) {
  std::vector<Chunk> chunks = LogoChunks();
  ASSERT_GE(chunks.size(), 6u);
  for (const Chunk& c : chunks) EXPECT_TRUE(c.crc_ok) << c.type << " has a bad CRC";

  const char* head[] = {"IHDR", "sBIT", "pHYs", "tEXt"};
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(chunks[i].type, head[i]);
  EXPECT_EQ(chunks.back().type, "IEND");
  EXPECT_EQ(chunks.back().length, 0u);

  // Image data: chunks of 8192 bytes, then one shorter, nothing between.
  size_t idat = 0;
  for (size_t i = 4; i + 1 < chunks.size(); ++i) {
    ASSERT_EQ(chunks[i].type, "IDAT") << "chunk " << i;
    ++idat;
    if (i + 2 < chunks.size()) {
      EXPECT_EQ(chunks[i].length, 8192u) << "IDAT " << idat;
    } else {
      EXPECT_GT(chunks[i].length, 0u);
      EXPECT_LT(chunks[i].length, 8192u);
    }
  }
  EXPECT_GE(idat, 2u);

  const Chunk& ihdr = chunks[0];
  ASSERT_EQ(ihdr.length, 13u);
  EXPECT_EQ(Be32(ihdr.data), kWidth);
  EXPECT_EQ(Be32(ihdr.data + 4), kHeight);
  const unsigned char depth_type_methods[5] = {8, 6, 0, 0, 0};  // RGBA, not interlaced
  EXPECT_EQ(std::memcmp(ihdr.data + 8, depth_type_methods, 5), 0);

  ASSERT_EQ(chunks[1].length, 4u);
  EXPECT_EQ(std::memcmp(chunks[1].data, "\x08\x08\x08\x08", 4), 0);
  EXPECT_EQ(chunks[2].length, 9u);
  const std::string text(reinterpret_cast<const char*>(chunks[3].data), chunks[3].length);
  EXPECT_EQ(text.compare(0, 9, std::string("Software\0", 9)), 0) << text;
  EXPECT_GT(text.size(), 9u);
}

TEST(LogoStream, RowsUseSubUpAndPaethFilters) {
  Picture logo;
  ASSERT_TRUE(DecodeLogo(&logo));
  int used[5] = {0, 0, 0, 0, 0};
  for (int f : logo.filters) ++used[f];
  EXPECT_GT(used[1], 0);
  EXPECT_GT(used[2], 0);
  EXPECT_GT(used[4], 0);
  EXPECT_EQ(used[1] + used[2] + used[4], static_cast<int>(kHeight));
}

bool IsTransparentWhite(const unsigned char* p) {
  return p[0] == 255 && p[1] == 255 && p[2] == 255 && p[3] == 0;
}

TEST(LogoPicture, GroundIsTransparentWhiteWithSoftEdgesAroundTheArtwork) {
  Picture logo;
  ASSERT_TRUE(DecodeLogo(&logo));
  EXPECT_TRUE(IsTransparentWhite(logo.At(0, 0)));
  EXPECT_TRUE(IsTransparentWhite(logo.At(720, 450)));
  EXPECT_TRUE(IsTransparentWhite(logo.At(kWidth - 1, kHeight - 1)));
  size_t clear = 0, soft = 0, opaque = 0, clear_not_white = 0;
  for (uint32_t y = 0; y < kHeight; ++y) {
    for (uint32_t x = 0; x < kWidth; ++x) {
      const unsigned char* p = logo.At(x, y);
      if (p[3] == 0) {
        ++clear;
        if (!IsTransparentWhite(p)) ++clear_not_white;
      } else if (p[3] == 255) {
        ++opaque;
      } else {
        ++soft;
      }
    }
  }
  const size_t all = static_cast<size_t>(kWidth) * kHeight;
  EXPECT_EQ(clear_not_white, 0u);
  EXPECT_GT(clear, all / 2) << "the blue backdrop should show around the logo";
  EXPECT_GT(opaque, all / 20);
  EXPECT_GT(soft, 10000u) << "edges and shadows are not soft";
}

TEST(LogoPicture, ShowsTheRedFruitLeftAndTheLightWordRight) {
  Picture logo;
  ASSERT_TRUE(DecodeLogo(&logo));
  // The fruit's body centre and the stem of the word's first letter.
  const unsigned char* fruit = logo.At(321, 483);
  EXPECT_EQ(fruit[3], 255);
  EXPECT_GT(fruit[0], fruit[1] + 80);
  EXPECT_GT(fruit[0], fruit[2] + 60);
  const unsigned char* letter = logo.At(753, 440);
  EXPECT_EQ(letter[3], 255);
  EXPECT_GT(letter[0], 200);
  EXPECT_GT(letter[1], 200);
  EXPECT_GT(letter[2], 180);
  // Nothing of the artwork reaches the picture's outer band.
  for (uint32_t x = 0; x < kWidth; ++x) {
    EXPECT_EQ(logo.At(x, 10)[3], 0) << "x " << x;
    EXPECT_EQ(logo.At(x, kHeight - 10)[3], 0) << "x " << x;
  }
}

}  // namespace

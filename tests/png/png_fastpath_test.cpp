// The fast image build (whole rows, loops per colour type and depth, SIMD)
// against the byte- and pixel-at-a-time routines that define the results.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "png/png.h"
#include "png/png_internal.h"
#include "png/png_rows.h"
#include "png_stream_builder.h"
#include "png_suite_files.h"

namespace {

using namespace pngtest;
using png_internal::kRowPad;

// Bytes drawn so that Paeth ties, wrap-around and the average's carry all
// happen often.
uint8_t Draw(std::mt19937& rng, int style) {
  switch (style) {
    case 0: return uint8_t(rng());
    case 1: return uint8_t(rng() % 4);
    case 2: return uint8_t(252 + rng() % 4);
    default: return uint8_t(rng() % 2 ? rng() % 3 : 254 + rng() % 2);
  }
}

TEST(PngFastRows, UnfilterRowMatchesUnfilterByte) {
  std::mt19937 rng(12345);
  for (uint32_t bpp : {1u, 2u, 3u, 4u, 6u, 8u}) {
    for (size_t pixels = 1; pixels <= 40; ++pixels) {
      size_t n = pixels * bpp;
      for (uint32_t filter = 0; filter <= 4; ++filter) {
        for (int style = 0; style < 5; ++style) {
          for (uint32_t rowIndex = 0; rowIndex < 2; ++rowIndex) {
            // The reference works on two consecutive raw rows in place.
            std::vector<uint8_t> rows(2 * (n + 1));
            for (auto& b : rows) b = Draw(rng, style);
            if (style == 4) {
              // An upper row of runs of one repeated pixel, some shorter and
              // some longer than a 16-byte block, so that flat and uneven
              // stretches meet at every offset.
              for (size_t at = 0; at < n;) {
                size_t run = (1 + rng() % 12) * bpp;
                for (size_t k = 0; k < run && at + k < n; ++k) {
                  rows[1 + at + k] = k < bpp ? Draw(rng, 0) : rows[1 + at + k - bpp];
                }
                at += run;
              }
            }
            rows[0] = 0;
            rows[n + 1] = uint8_t(filter);
            std::vector<uint8_t> above(kRowPad + n + 16, 0), fast(kRowPad + n + 16, 0),
                portable(kRowPad + n + 16, 0);
            if (rowIndex == 1) std::memcpy(&above[kRowPad], &rows[1], n);
            const uint8_t* src = &rows[n + 2];
            png_internal::UnfilterRow(filter, src, &fast[kRowPad], &above[kRowPad], n, bpp);
            png_internal::UnfilterRowPortable(filter, src, &portable[kRowPad], &above[kRowPad], n, bpp);
            std::vector<uint8_t> reference = rows;
            for (uint32_t k = 0; k < n; ++k) {
              ASSERT_TRUE(PngUnfilterByte(&reference[n + 2 + k], filter, k, rowIndex,
                                          uint32_t(n + 1), bpp));
            }
            ASSERT_EQ(std::memcmp(&portable[kRowPad], &reference[n + 2], n), 0)
                << "portable bpp " << bpp << " n " << n << " filter " << filter;
            ASSERT_EQ(std::memcmp(&fast[kRowPad], &reference[n + 2], n), 0)
                << "fast bpp " << bpp << " n " << n << " filter " << filter << " style " << style;
            // Nothing is written behind the row.
            for (size_t i = kRowPad + n; i < fast.size(); ++i) ASSERT_EQ(fast[i], 0);
          }
        }
      }
    }
  }
}

size_t BlockSize(const PngContext& context, int32_t target) {
  png_internal::OutputLayout layout;
  return png_internal::LayoutFor(&context, target, &layout) ? layout.blockSize : 0;
}

// Parses stream and checks that the fast build, the decode entry (which
// inflates into the output block where it can) and the byte-at-a-time
// build give the same block for every target, a block at all where the
// stream is `valid`. Returns false when the stream doesn't parse.
bool BuildsAgree(const Bytes& stream, const std::string& what, bool valid) {
  PngContext context = {};
  context.input = stream.data();
  context.inputLength = uint32_t(stream.size());
  if (!PngParse(&context)) {
    PngRelease(&context);
    return false;
  }
  for (int32_t target = 1; target <= 3; ++target) {
    Block fast(PngBuildImage(&context, target));
    Block reference(PngBuildImageBytewise(&context, target));
    Block decoded(PngDecodeMemory(stream.data(), int32_t(stream.size()), target));
    EXPECT_EQ(fast == nullptr, reference == nullptr) << what << " target " << target;
    EXPECT_EQ(decoded == nullptr, reference == nullptr) << what << " target " << target;
    if (valid) { EXPECT_NE(reference, nullptr) << what << " target " << target; }
    if (!fast || !reference || !decoded) continue;
    size_t size = BlockSize(context, target);
    EXPECT_EQ(std::memcmp(fast.get(), reference.get(), size), 0) << what << " target " << target;
    EXPECT_EQ(std::memcmp(decoded.get(), reference.get(), size), 0) << what << " target " << target;
  }
  PngRelease(&context);
  return true;
}

// Random raw scanlines for the header: random bytes, and a random filter
// type 0 to 4 at the start of every row of every pass.
Bytes RandomRaw(uint32_t width, uint32_t height, uint8_t depth, uint8_t colour, uint8_t interlace,
                std::mt19937& rng, int style) {
  PngContext c = {};
  c.width = width;
  c.height = height;
  c.bitDepth = depth;
  c.colourType = colour;
  c.interlaceMethod = interlace;
  Bytes raw(size_t(PngRawSize(&c)));
  for (auto& b : raw) b = Draw(rng, style);
  size_t offset = 0;
  for (int pass = 1; pass <= kPngPassCount; ++pass) {
    const png_internal::Pass* geometry = png_internal::PassOf(&c, pass);
    if (!geometry) break;
    size_t rowBytes = size_t(PngRowBytes(&c, pass));
    if (rowBytes == 0) continue;
    for (uint32_t row = 0; row < png_internal::PassRows(&c, *geometry); ++row) {
      raw[offset] = uint8_t(rng() % 5);
      offset += rowBytes;
    }
  }
  return raw;
}

TEST(PngFastBuild, MatchesBytewiseBuildOnGeneratedImages) {
  struct Format {
    uint8_t colour, depth;
  } formats[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {3, 1}, {3, 2}, {3, 4},
                 {3, 8}, {2, 8}, {2, 16}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};
  std::mt19937 rng(777);
  for (const Format& f : formats) {
    for (uint8_t interlace = 0; interlace <= 1; ++interlace) {
      for (uint32_t width : {1u, 2u, 3u, 5u, 7u, 8u, 9u, 13u, 16u, 17u, 33u, 70u}) {
        for (uint32_t height : {1u, 2u, 3u, 5u, 8u, 9u, 17u}) {
          int style = int(rng() % 4);
          Bytes raw = RandomRaw(width, height, f.depth, f.colour, interlace, rng, style);
          std::vector<std::pair<std::string, Bytes>> extra;
          if (f.colour == 3) {
            Bytes plte(3 * (1 + rng() % 256));
            for (auto& b : plte) b = uint8_t(rng());
            extra.push_back({"PLTE", plte});
          }
          // tRNS on about half, with keys chosen to hit some pixels.
          if (f.colour != 4 && f.colour != 6 && rng() % 2) {
            Bytes trns;
            if (f.colour == 3) {
              trns.resize(rng() % 257);
              for (auto& b : trns) b = uint8_t(rng());
            } else {
              size_t samples = f.colour == 0 ? 1 : 3;
              for (size_t s = 0; s < samples; ++s) {
                // Copy a sample from the first data bytes, sometimes with a stray high byte.
                uint16_t v = f.depth == 16 ? uint16_t((raw[1 + 2 * s] << 8) | raw[2 + 2 * s])
                             : f.depth == 8 ? raw[1 + s]
                                            : uint16_t(raw[1] >> (8 - f.depth));
                if (rng() % 4 == 0) v = uint16_t(v | 0x100);
                trns.push_back(uint8_t(v >> 8));
                trns.push_back(uint8_t(v));
              }
            }
            extra.push_back({"tRNS", trns});
          }
          std::string what = "colour " + std::to_string(f.colour) + " depth " +
                             std::to_string(f.depth) + " interlace " + std::to_string(interlace) +
                             " " + std::to_string(width) + "x" + std::to_string(height);
          Bytes stream = SimplePng(width, height, f.depth, f.colour, raw, extra, interlace);
          ASSERT_TRUE(BuildsAgree(stream, what, true)) << what;
        }
      }
    }
  }
}

TEST(PngFastBuild, MatchesBytewiseBuildOnTheSuite) {
  std::vector<std::string> files = pngtest::SuiteFiles();
  if (files.empty()) GTEST_SKIP() << "PNG conformance suite not found at " << POMARELO_PNGSUITE_DIR;
  int parsed = 0;
  for (const std::string& path : files) {
    int32_t size = 0;
    Block bytes(ReadWholeFile(path.c_str(), &size));
    ASSERT_NE(bytes, nullptr) << path;
    const uint8_t* p = static_cast<const uint8_t*>(bytes.get());
    if (BuildsAgree(Bytes(p, p + size), path, pngtest::BaseName(path)[0] != 'x')) ++parsed;
  }
  EXPECT_GT(parsed, 100);
}

}  // namespace

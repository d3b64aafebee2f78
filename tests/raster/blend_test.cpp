// The 32-bit blend: the reference against the values the system is known to
// give, and every faster version against the reference, on every
// (source, destination, alpha) channel triple and on rows of every shape.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "raster/blend.h"

namespace {

uint32_t BlendOne(PutRoutine routine, uint32_t source, uint32_t destination) {
  routine(reinterpret_cast<const uint8_t*>(&source), reinterpret_cast<uint8_t*>(&destination), 1,
          1, 4, 4, -1, nullptr, 0);
  return destination;
}

TEST(AlphaBlendReferenceTest, GivesTheKnownResults) {
  // a = 0 leaves the destination; a channel equal in both stays.
  EXPECT_EQ(BlendOne(AlphaBlend32, 0x00FFFFFFu, 0x12345678u), 0x12345678u);
  EXPECT_EQ(BlendOne(AlphaBlend32, 0x7F3456FFu, 0x7F345600u), 0x7F34567Eu);
  // a = 255: rising 0 -> 255 ends at 254, falling 255 -> 0 ends at 0.
  EXPECT_EQ(BlendOne(AlphaBlend32, 0xFFFFFFFFu, 0xFF0000FFu), 0xFFFEFEFFu);
  EXPECT_EQ(BlendOne(AlphaBlend32, 0xFF000000u, 0xFFFFFFFFu), 0xFF000000u);
  // Half alpha over opaque blue; the alpha channel moves too.
  EXPECT_EQ(BlendOne(AlphaBlend32, 0x80FFFFFFu, 0xFF0000FFu), 0xBF7F7FFFu);
  // The transparent colour is blended like any other.
  EXPECT_EQ(BlendOne(AlphaBlend32, 0xFFFF00FFu, 0xFF00FF00u), 0xFFFE00FEu);
  // Floor, not truncation, for a falling channel: 10 + floor(-10 * 1 / 256) = 9.
  EXPECT_EQ(BlendOne(AlphaBlend32, 0x01000000u, 0x0000000Au), 0x00000009u);
}

// The closed form the faster versions rely on, checked over every triple.
TEST(AlphaBlendReferenceTest, EqualsTheUnsignedFormOnEveryTriple) {
  std::vector<uint32_t> source(65536), destination(65536);
  for (uint32_t a = 0; a < 256; ++a) {
    for (uint32_t i = 0; i < 65536; ++i) {
      const uint32_t s = i & 0xFF, d = i >> 8;
      source[i] = (a << 24) | (s << 16) | (s << 8) | s;
      destination[i] = (d << 24) | (d << 16) | (d << 8) | d;
    }
    AlphaBlend32(reinterpret_cast<const uint8_t*>(source.data()),
                 reinterpret_cast<uint8_t*>(destination.data()), 65536, 1, 0, 0, -1, nullptr, 0);
    for (uint32_t i = 0; i < 65536; ++i) {
      const uint32_t s = i & 0xFF, d = i >> 8;
      const uint32_t colour = (d * (256 - a) + s * a) >> 8;
      const uint32_t alpha = (d * (256 - a) + a * a) >> 8;
      ASSERT_EQ(destination[i], (alpha << 24) | (colour << 16) | (colour << 8) | colour)
          << "s=" << s << " d=" << d << " a=" << a;
    }
  }
}

// The one-pixel form used where pixels are blended one by one.
TEST(AlphaBlendPixelTest, MatchesTheReferenceOnEveryChannelTriple) {
  std::vector<uint32_t> source(65536), destination(65536);
  for (uint32_t a = 0; a < 256; ++a) {
    for (uint32_t i = 0; i < 65536; ++i) {
      const uint32_t s = i & 0xFF, d = i >> 8;
      // Each channel its own pair: s and d, swapped, and mixed with a.
      source[i] = (a << 24) | (s << 16) | (d << 8) | (s ^ a);
      destination[i] = (d << 24) | (d << 16) | (s << 8) | (d ^ a);
    }
    std::vector<uint32_t> expected = destination;
    AlphaBlend32(reinterpret_cast<const uint8_t*>(source.data()),
                 reinterpret_cast<uint8_t*>(expected.data()), 65536, 1, 0, 0, -1, nullptr, 0);
    for (uint32_t i = 0; i < 65536; ++i) {
      ASSERT_EQ(AlphaBlendPixel(source[i], destination[i]), expected[i])
          << std::hex << source[i] << " over " << destination[i];
    }
  }
}

// The put at listed points relies on this: under an opaque source pixel,
// whatever the target held, one blend reaches the fixed point.
TEST(AlphaBlendPixelTest, AnOpaqueSourceSettlesEveryPixelInOneBlend) {
  for (uint32_t s = 0; s < 256; ++s) {
    for (uint32_t d = 0; d < 256; ++d) {
      const uint32_t source = 0xFF000000u | (s << 16) | (d << 8) | (s ^ d);
      const uint32_t destination = (d << 24) | (d << 16) | (s << 8) | (255 - d);
      const uint32_t once = AlphaBlendPixel(source, destination);
      ASSERT_EQ(AlphaBlendPixel(source, once), once) << std::hex << source << " over " << destination;
    }
  }
}

class FasterBlendTest : public ::testing::TestWithParam<BlendKernel> {
 protected:
  void SetUp() override {
    if (!BlendKernelSupported(GetParam())) {
      GTEST_SKIP() << "this processor does not run this version";
    }
    routine_ = BlendKernelRoutine(GetParam());
  }
  PutRoutine routine_ = nullptr;
};

// Every (s, d, a): each colour channel sees every (s, d) pair under every a,
// each through a different mapping so that a lane mix-up shows; the alpha
// channel sees every (a, d) pair. The row is cut into widths 1 to 67 so
// that every tail length is exercised too.
TEST_P(FasterBlendTest, MatchesTheReferenceOnEveryChannelTriple) {
  std::vector<uint32_t> source(65536), expected(65536), actual(65536);
  for (uint32_t a = 0; a < 256; ++a) {
    for (uint32_t i = 0; i < 65536; ++i) {
      const uint32_t s = i & 0xFF, d = i >> 8;
      source[i] = (a << 24) | ((255 - s) << 16) | ((s ^ 0x5A) << 8) | s;
      expected[i] = ((d ^ 0xC3) << 24) | (d << 16) | ((255 - d) << 8) | (d ^ 0x3C);
    }
    actual = expected;
    AlphaBlend32(reinterpret_cast<const uint8_t*>(source.data()),
                 reinterpret_cast<uint8_t*>(expected.data()), 65536, 1, 0, 0, -1, nullptr, 0);
    uint32_t start = 0, width = 1 + a % 67;
    while (start < 65536) {
      const uint32_t run = std::min(width, 65536 - start);
      routine_(reinterpret_cast<const uint8_t*>(source.data() + start),
               reinterpret_cast<uint8_t*>(actual.data() + start), static_cast<int32_t>(run), 1,
               0, 0, -1, nullptr, 0);
      start += run;
      width = width % 67 + 1;
    }
    ASSERT_EQ(std::memcmp(expected.data(), actual.data(), 65536 * 4), 0) << "alpha " << a;
  }
}

// Rows of odd and even widths at every byte offset, several rows with their
// own pitches: the same bytes as the reference, nothing written outside.
TEST_P(FasterBlendTest, MatchesTheReferenceOnRowsOfEveryWidthAndStart) {
  std::mt19937 random(20261208);
  const int32_t height = 3;
  for (int32_t width = 1; width <= 80; ++width) {
    for (int32_t offset = 0; offset < 8; ++offset) {
      const int32_t sourcePitch = 4 * width + 4 * (width % 3) + offset % 3;
      const int32_t destinationPitch = 4 * width + 12 + (offset + 1) % 4;
      std::vector<uint8_t> source(offset + sourcePitch * height + 64);
      std::vector<uint8_t> reference(offset + destinationPitch * height + 64);
      for (uint8_t& byte : source) byte = static_cast<uint8_t>(random());
      for (uint8_t& byte : reference) byte = static_cast<uint8_t>(random());
      std::vector<uint8_t> actual = reference;
      AlphaBlend32(source.data() + (offset + 1) % 8, reference.data() + offset, width, height,
                   sourcePitch, destinationPitch, -1, nullptr, 0);
      routine_(source.data() + (offset + 1) % 8, actual.data() + offset, width, height,
               sourcePitch, destinationPitch, -1, nullptr, 0);
      ASSERT_EQ(actual, reference) << "width " << width << " offset " << offset;
    }
  }
}

// Opaque stretches take a shorter path; runs of opaque and other pixels of
// every length, at every start, must still give the reference bytes.
TEST_P(FasterBlendTest, MatchesTheReferenceWhereOpaqueAndOtherPixelsAlternate) {
  std::mt19937 random(8122026);
  for (int round = 0; round < 64; ++round) {
    const int32_t width = 1000 + round;
    std::vector<uint32_t> source(width), reference(width);
    int32_t x = 0;
    while (x < width) {
      const int32_t run = 1 + static_cast<int32_t>(random() % 20);
      const int kind = static_cast<int>(random() % 3);  // opaque, transparent, anything
      for (int32_t i = 0; i < run && x < width; ++i, ++x) {
        const uint32_t colour = static_cast<uint32_t>(random());
        source[x] = kind == 0   ? colour | 0xFF000000u
                    : kind == 1 ? colour & 0x00FFFFFFu
                                : colour;
        reference[x] = static_cast<uint32_t>(random());
      }
    }
    std::vector<uint32_t> actual = reference;
    const int32_t start = round % 9;
    AlphaBlend32(reinterpret_cast<const uint8_t*>(source.data() + start),
                 reinterpret_cast<uint8_t*>(reference.data() + start), width - start, 1, 0, 0,
                 -1, nullptr, 0);
    routine_(reinterpret_cast<const uint8_t*>(source.data() + start),
             reinterpret_cast<uint8_t*>(actual.data() + start), width - start, 1, 0, 0, -1,
             nullptr, 0);
    ASSERT_EQ(actual, reference) << "round " << round;
  }
}

TEST_P(FasterBlendTest, AnOddRowGivesEachPixelTheSameResultAsAnEvenRow) {
  const uint32_t source[4] = {0x80FFFFFFu, 0xFFFFFFFFu, 0x40102030u, 0x00FFFFFFu};
  uint32_t odd[3] = {0xFF0000FFu, 0xFF0000FFu, 0x80808080u};
  uint32_t even[4] = {0xFF0000FFu, 0xFF0000FFu, 0x80808080u, 0x12345678u};
  routine_(reinterpret_cast<const uint8_t*>(source), reinterpret_cast<uint8_t*>(odd), 3, 1, 12,
           12, -1, nullptr, 0);
  routine_(reinterpret_cast<const uint8_t*>(source), reinterpret_cast<uint8_t*>(even), 4, 1, 16,
           16, -1, nullptr, 0);
  EXPECT_EQ(odd[0], 0xBF7F7FFFu);
  EXPECT_EQ(odd[1], 0xFFFEFEFFu);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(odd[i], even[i]) << i;
  EXPECT_EQ(even[3], 0x12345678u);
}

std::string KernelName(const ::testing::TestParamInfo<BlendKernel>& info) {
  switch (info.param) {
    case BlendKernel::kScalar:
      return "Scalar";
    case BlendKernel::kSse2:
      return "Sse2";
    case BlendKernel::kAvx2:
      return "Avx2";
  }
  return "Unknown";
}

INSTANTIATE_TEST_SUITE_P(Versions, FasterBlendTest,
                         ::testing::Values(BlendKernel::kSse2, BlendKernel::kAvx2), KernelName);

TEST(BlendChoiceTest, TheWidestSupportedVersionIsChosenAndCanBeForced) {
  const BlendKernel chosen = ActiveBlendKernel();
  EXPECT_TRUE(BlendKernelSupported(chosen));
  const BlendKernel widest = BlendKernelSupported(BlendKernel::kAvx2)   ? BlendKernel::kAvx2
                             : BlendKernelSupported(BlendKernel::kSse2) ? BlendKernel::kSse2
                                                                        : BlendKernel::kScalar;
  EXPECT_EQ(chosen, widest);
  EXPECT_EQ(ActiveBlendIsSimd(), chosen != BlendKernel::kScalar);

  EXPECT_TRUE(ForceBlendKernel(BlendKernel::kScalar));
  EXPECT_EQ(ActiveBlendKernel(), BlendKernel::kScalar);
  EXPECT_FALSE(ActiveBlendIsSimd());
  EXPECT_EQ(BlendKernelRoutine(BlendKernel::kScalar), &AlphaBlend32);
  EXPECT_TRUE(ForceBlendKernel(chosen));
  EXPECT_EQ(ActiveBlendKernel(), chosen);
}

}  // namespace

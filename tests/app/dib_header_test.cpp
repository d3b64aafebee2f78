#include <gtest/gtest.h>

#include <cstring>

#include "app/saver_state.h"

namespace {

TEST(DescribeFrameBuffer, FillsEveryFieldOfTheBitmapDescription) {
  DibHeader dib;
  std::memset(&dib, 0xA5, sizeof dib);  // whatever was there before
  DescribeFrameBuffer(dib, 1920, 1080);
  EXPECT_EQ(dib.bV4Size, 108u);
  EXPECT_EQ(dib.bV4Width, 1920);
  EXPECT_EQ(dib.bV4Height, -1080);  // rows from the top down
  EXPECT_EQ(dib.bV4Planes, 1);
  EXPECT_EQ(dib.bV4BitCount, 32);
  EXPECT_EQ(dib.bV4V4Compression, 3u);
  EXPECT_EQ(dib.bV4SizeImage, 1920u * 1080u * 4u);
  EXPECT_EQ(dib.bV4XPelsPerMeter, 1);
  EXPECT_EQ(dib.bV4YPelsPerMeter, 1);
  EXPECT_EQ(dib.bV4ClrUsed, 0u);
  EXPECT_EQ(dib.bV4ClrImportant, 0u);
  EXPECT_EQ(dib.bV4RedMask, 0x00000F00u);
  EXPECT_EQ(dib.bV4GreenMask, 0x000000F0u);
  EXPECT_EQ(dib.bV4BlueMask, 0x0000000Fu);
  EXPECT_EQ(dib.bV4AlphaMask, 0x0000F000u);
  EXPECT_EQ(dib.bV4CSType, 0u);
  for (int32_t e : dib.bV4Endpoints) EXPECT_EQ(e, 0);
  EXPECT_EQ(dib.bV4GammaRed, 0u);
  EXPECT_EQ(dib.bV4GammaGreen, 0u);
  EXPECT_EQ(dib.bV4GammaBlue, 0u);
}

TEST(DescribeFrameBuffer, TheImageSizeIsUnsigned32BitArithmetic) {
  DibHeader dib;
  DescribeFrameBuffer(dib, 40000, 30000);  // 4.8e9 bytes wrap around 2^32
  EXPECT_EQ(dib.bV4SizeImage, static_cast<uint32_t>(40000ull * 30000ull * 4ull));
  EXPECT_EQ(dib.bV4Height, -30000);
  DescribeFrameBuffer(dib, 0, 0);
  EXPECT_EQ(dib.bV4SizeImage, 0u);
  EXPECT_EQ(dib.bV4Height, 0);
}

TEST(SaverStateClear, ZeroesEveryFieldAndEmptiesTheClassName) {
  std::memset(&saverState, 0x5A, sizeof saverState);
  SaverStateClear();
  const auto* bytes = reinterpret_cast<const unsigned char*>(&saverState);
  for (size_t i = 0; i < sizeof saverState; ++i) ASSERT_EQ(bytes[i], 0) << "byte " << i;
  EXPECT_EQ(saverState.className.data, nullptr);
  EXPECT_EQ(SaverQuitRaised(), 0);
  SaverRaiseQuit();
  EXPECT_EQ(saverState.quit, 1);
  EXPECT_EQ(SaverQuitRaised(), 1);
}

}  // namespace

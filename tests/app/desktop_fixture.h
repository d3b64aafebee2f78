// Test helper: a desktop of a given size with its FrameBuffer, images freed
// after the test, and a particle step worked out by hand.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "app/particles.h"
#include "app/saver_state.h"
#include "raster/raster.h"

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kBlue = 0xFF0000FFu;

class Desktop : public ::testing::Test {
 protected:
  void SetUpDesktop(uint32_t width, uint32_t height) {
    SaverStateClear();
    saverState.width = width;
    saverState.height = height;
    SetScreenMode(static_cast<int32_t>(width), static_cast<int32_t>(height), 32, 1, -1, 0);
    ASSERT_NE(ScreenPointer(), nullptr);
  }

  void TearDown() override {
    for (void* image : images_) std::free(image);
  }

  uint32_t* Frame() { return static_cast<uint32_t*>(ScreenPointer()); }
  uint32_t& FramePixel(uint32_t x, uint32_t y) { return Frame()[y * saverState.width + x]; }

  std::vector<uint32_t> FrameCopy() {
    uint32_t* f = Frame();
    return std::vector<uint32_t>(f, f + saverState.width * saverState.height);
  }

  // A 32-bit image whose pixels come from pixel(x, y); freed after the test.
  template <typename PixelOf>
  ImageBuffer* MakeImage(int32_t width, int32_t height, PixelOf pixel) {
    ImageBuffer* image = ImageCreate(width, height, 0, 32, 0);
    EXPECT_NE(image, nullptr);
    if (!image) return nullptr;
    Keep(image);
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x) ImagePixel(image, x, y) = pixel(x, y);
    return image;
  }

  void Keep(ImageBuffer* image) {
    if (image) images_.push_back(image);
  }

  static uint32_t& ImagePixel(ImageBuffer* image, int32_t x, int32_t y) {
    auto* header = HeaderOf(image);
    auto* pixels = reinterpret_cast<uint8_t*>(image) + kImageHeaderSize;
    return reinterpret_cast<uint32_t*>(pixels + y * header->pitch)[x];
  }

  static const ImageHeader& Header(ImageBuffer* image) {
    return *HeaderOf(image);
  }

 private:
  std::vector<ImageBuffer*> images_;
};

// One particle step worked out by hand: the sum in extended precision, the
// wrap strictly past the edge.
inline void ReferenceStep(Particle& p, double width, double height) {
  p.x = static_cast<double>(static_cast<long double>(p.x) + p.dx);
  p.y = static_cast<double>(static_cast<long double>(p.y) + p.dy);
  if (p.x > width) p.x = 0.0;
  if (p.y > height) p.y = 0.0;
}

inline Particle MakeParticle(double x, double y, double dx, double dy) {
  Particle p;
  p.x = x;
  p.y = y;
  p.dx = dx;
  p.dy = dy;
  return p;
}

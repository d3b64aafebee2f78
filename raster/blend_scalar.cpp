// The reference 32-bit blend: every channel moves from the destination
// toward the source by the source alpha, d + floor((s - d) * a / 256).
#include <cstring>

#include "raster/raster_internal.h"

namespace {

// Written as the definition, with the product signed and the division
// rounding toward minus infinity; the faster versions use an equivalent
// unsigned form and are checked against this one.
inline uint32_t BlendChannel(uint32_t s, uint32_t d, uint32_t a) {
  const int32_t product = (static_cast<int32_t>(s) - static_cast<int32_t>(d)) *
                          static_cast<int32_t>(a);
  const int32_t step = product >= 0 ? product / 256 : -((-product + 255) / 256);
  return static_cast<uint32_t>(static_cast<int32_t>(d) + step) & 0xFF;
}

inline uint32_t BlendPixel(uint32_t s, uint32_t d) {
  const uint32_t a = s >> 24;
  uint32_t result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    result |= BlendChannel((s >> shift) & 0xFF, (d >> shift) & 0xFF, a) << shift;
  }
  return result;
}

}  // namespace

void AlphaBlend32(const uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
                  int32_t sourcePitch, int32_t destinationPitch, int32_t, void*, intptr_t) {
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* s = source + static_cast<intptr_t>(y) * sourcePitch;
    uint8_t* d = destination + static_cast<intptr_t>(y) * destinationPitch;
    for (int32_t x = 0; x < width; ++x) {
      uint32_t sp, dp;
      std::memcpy(&sp, s + 4 * x, 4);
      std::memcpy(&dp, d + 4 * x, 4);
      dp = BlendPixel(sp, dp);
      std::memcpy(d + 4 * x, &dp, 4);
    }
  }
}

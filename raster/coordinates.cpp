// From a primitive's arguments to pixels: the colour in the target's pixel
// format, relative points, and float coordinates rounded to whole pixels.
#include <cmath>

#include "raster/raster.h"

namespace {

int32_t ClampToLimit(int64_t value) {
  if (value < -kCoordinateLimit) return -kCoordinateLimit;
  if (value > kCoordinateLimit) return kCoordinateLimit;
  return static_cast<int32_t>(value);
}

}  // namespace

uint32_t ConvertColour(int32_t bytesPerPixel, uint32_t colour) {
  if (bytesPerPixel == 2) {
    const uint32_t red = (colour >> 16) & 0xFF;
    const uint32_t green = (colour >> 8) & 0xFF;
    const uint32_t blue = colour & 0xFF;
    colour = ((red << 8) & 0xF800) | ((green << 3) & 0x7E0) | (blue >> 3);
  }
  if (bytesPerPixel >= 4 || bytesPerPixel <= 0) return colour;
  return colour & ((1u << (8 * bytesPerPixel)) - 1);
}

void ApplyRelative(DrawContext* context, int32_t flags, float* x1, float* y1, float* x2,
                   float* y2) {
  const int32_t relative = flags & 7;
  if (relative == 2 || relative == 3 || relative == 5) {
    *x1 += context->lastX;
    *y1 += context->lastY;
  }
  if (x2 && (relative == 1 || relative == 3)) {
    *x2 += *x1;
    *y2 += *y1;
  }
  if (x2) {
    context->lastX = *x2;
    context->lastY = *y2;
  } else {
    context->lastX = *x1;
    context->lastY = *y1;
  }
}

// The sum with 0.5 is taken in double, where it is exact for every float;
// in float it would round 0.49999997 up to 1. Converting an out-of-range
// double to int is undefined, so the value is clamped first; NaN fails
// every comparison and ends at the far negative limit, which is clipped.
int32_t RoundCoordinate(float v) {
  const double value = v;
  const double rounded = v > 0 ? std::trunc(value + 0.5) : std::trunc(value - 0.5);
  if (!(rounded > -static_cast<double>(kCoordinateLimit))) return -kCoordinateLimit;
  if (rounded > static_cast<double>(kCoordinateLimit)) return kCoordinateLimit;
  return static_cast<int32_t>(rounded);
}

PixelPoint TransformPoint(const DrawContext* context, float x, float y) {
  PixelPoint point;
  point.x = ClampToLimit(static_cast<int64_t>(RoundCoordinate(x)) + context->viewX);
  point.y = ClampToLimit(static_cast<int64_t>(RoundCoordinate(y)) + context->viewY);
  return point;
}

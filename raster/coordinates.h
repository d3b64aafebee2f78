// How the primitives round a coordinate to a pixel, for callers that work
// out which pixel a point lands on as the primitives do.
#pragma once

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

constexpr int32_t kCoordinateLimit = 1 << 30;

// A double truncated toward zero; out of range, and for NaN, INT32_MIN, as
// SSE2's conversion gives it. RoundsInto refuses that with the negatives.
inline int32_t TruncateToInt32(double value) {
#if defined(__SSE2__)
  return _mm_cvttsd_si32(_mm_set_sd(value));
#else
  return value > -2147483649.0 && value < 2147483648.0 ? static_cast<int32_t>(value) : INT32_MIN;
#endif
}

// The sum with 0.5 is taken in double, where it is exact for every float; in float it would
// round 0.49999997 up to 1. The truncating conversion completes the rounding without trunc();
// it is undefined out of range, so the sum is clamped first (for a whole limit, trunc(s) >
// limit exactly when s > limit, and likewise below). NaN fails every comparison and ends at
// the far negative limit, which is clipped.
inline int32_t RoundCoordinate(float v) {
  const double value = v;
  const double shifted = v > 0 ? value + 0.5 : value - 0.5;
  if (!(shifted > -static_cast<double>(kCoordinateLimit))) return -kCoordinateLimit;
  if (shifted > static_cast<double>(kCoordinateLimit)) return kCoordinateLimit;
  return TruncateToInt32(shifted);
}

// Whether RoundCoordinate(v) lies in [0, limit), for a limit of at most kCoordinateLimit, and
// which value it is then. Above -0.5, rounding half away from zero is v + 0.5 (exact in
// double) truncated. Two comparisons instead of the clamps: the limit is compared after the
// truncation the pixel needs anyway (for s > 0, s < limit exactly when trunc(s) < limit), and
// a sum of 2^31 or more truncates to INT32_MIN and is refused with the negatives.
inline bool RoundsInto(float v, int32_t limit, uint32_t* rounded) {
  const double shifted = static_cast<double>(v) + 0.5;
  if (!(shifted > 0.0)) return false;
  const int32_t whole = TruncateToInt32(shifted);
  if (whole < 0 || whole >= limit) return false;
  *rounded = static_cast<uint32_t>(whole);
  return true;
}

// The 32-bit blend in one version per instruction set. The scalar
// AlphaBlend32 is the reference; every other version gives the same bytes.
// The fastest version the processor runs is chosen once, at start-up.
#pragma once

#include <cstdint>

#include "raster/raster_internal.h"

enum class BlendKernel : int32_t { kScalar = 0, kSse2 = 1, kAvx2 = 2 };

// Compiled in and runnable on this processor.
bool BlendKernelSupported(BlendKernel kernel);
// The put routine of a version; null when it is not supported.
PutRoutine BlendKernelRoutine(BlendKernel kernel);

// The version in use, and a seam for tests and benchmarks to choose another
// (refused, returning false, when it is not supported).
BlendKernel ActiveBlendKernel();
bool ForceBlendKernel(BlendKernel kernel);
bool ActiveBlendIsSimd();

// One pixel of the blend, the same bytes as the row versions give. Per
// channel d + floor((s - d) a / 256) = (d (256 - a) + s a) >> 8, and that sum
// stays below 2^16, so two channels share one 32-bit word without carries.
inline uint32_t AlphaBlendPixel(uint32_t source, uint32_t destination) {
  const uint32_t a = source >> 24;
  const uint32_t keep = 256 - a;
  const uint32_t blueRed =
      (((destination & 0x00FF00FFu) * keep + (source & 0x00FF00FFu) * a) >> 8) & 0x00FF00FFu;
  const uint32_t greenAlpha =
      (((destination >> 8) & 0x00FF00FFu) * keep + ((source >> 8) & 0x00FF00FFu) * a) &
      0xFF00FF00u;
  return blueRed | greenAlpha;
}

// The versions themselves (null where the build has no such version).
extern const PutRoutine kAlphaBlend32Sse2;
extern const PutRoutine kAlphaBlend32Avx2;

// The 32-bit blend in one version per instruction set. The scalar
// AlphaBlend32 is the reference; every other version gives the same bytes.
// The fastest version the processor runs is chosen once, at start-up.
#pragma once

#include <cstdint>

#include "raster/raster.h"

enum class BlendKernel : int32_t { kScalar = 0, kSse2 = 1, kAvx2 = 2 };

// Compiled in and runnable on this processor.
bool BlendKernelSupported(BlendKernel kernel);
// The put routine of a version; null when it is not supported.
PutRoutine BlendKernelRoutine(BlendKernel kernel);

// The version in use, and a seam for tests and benchmarks to choose another
// (refused, returning false, when it is not supported).
BlendKernel ActiveBlendKernel();
bool ForceBlendKernel(BlendKernel kernel);
// True when the version in use is faster than the scalar one.
bool ActiveBlendIsSimd();

// The versions themselves (null where the build has no such version).
extern const PutRoutine kAlphaBlend32Sse2;
extern const PutRoutine kAlphaBlend32Avx2;

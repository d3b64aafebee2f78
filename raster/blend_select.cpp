// Chooses the blend version once, from the processor's feature query: the
// widest one compiled in that the processor (and its operating system) runs.
#include <atomic>

#include "raster/blend.h"

namespace {

struct ProcessorFeatures {
  bool sse2 = false;
  bool avx2 = false;
};

const ProcessorFeatures& Features() {
  static const ProcessorFeatures features = [] {
    ProcessorFeatures found;
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    found.sse2 = __builtin_cpu_supports("sse2");
    found.avx2 = __builtin_cpu_supports("avx2");
#endif
    return found;
  }();
  return features;
}

bool ProcessorHas(BlendKernel kernel) {
#if defined(__x86_64__) || defined(__i386__)
  switch (kernel) {
    case BlendKernel::kScalar:
      return true;
    case BlendKernel::kSse2:
      return Features().sse2;
    case BlendKernel::kAvx2:
      return Features().avx2;
  }
  return false;
#else
  return kernel == BlendKernel::kScalar;
#endif
}

BlendKernel BestKernel() {
  if (BlendKernelSupported(BlendKernel::kAvx2)) return BlendKernel::kAvx2;
  if (BlendKernelSupported(BlendKernel::kSse2)) return BlendKernel::kSse2;
  return BlendKernel::kScalar;
}

std::atomic<BlendKernel>& ActiveSlot() {
  static std::atomic<BlendKernel> slot{BestKernel()};
  return slot;
}

// Made at start-up rather than on the first put.
const bool g_chosenAtStart = (ActiveSlot(), true);

}  // namespace

PutRoutine BlendKernelRoutine(BlendKernel kernel) {
  PutRoutine routine = nullptr;
  switch (kernel) {
    case BlendKernel::kScalar:
      routine = AlphaBlend32;
      break;
    case BlendKernel::kSse2:
      routine = kAlphaBlend32Sse2;
      break;
    case BlendKernel::kAvx2:
      routine = kAlphaBlend32Avx2;
      break;
  }
  return routine && ProcessorHas(kernel) ? routine : nullptr;
}

bool BlendKernelSupported(BlendKernel kernel) { return BlendKernelRoutine(kernel) != nullptr; }

BlendKernel ActiveBlendKernel() {
  (void)g_chosenAtStart;
  return ActiveSlot().load(std::memory_order_relaxed);
}

bool ForceBlendKernel(BlendKernel kernel) {
  if (!BlendKernelSupported(kernel)) return false;
  ActiveSlot().store(kernel, std::memory_order_relaxed);
  return true;
}

bool ActiveBlendIsSimd() { return ActiveBlendKernel() != BlendKernel::kScalar; }

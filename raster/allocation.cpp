#include "raster/allocation.h"

#include <atomic>
#include <cstdlib>

namespace {

std::atomic<int32_t> g_allocationsLeft{-1};

bool AllocationAllowed() {
  int32_t left = g_allocationsLeft.load(std::memory_order_relaxed);
  while (left >= 0) {
    if (left == 0) return false;
    if (g_allocationsLeft.compare_exchange_weak(left, left - 1, std::memory_order_relaxed)) {
      return true;
    }
  }
  return true;
}

}  // namespace

void* RasterAllocate(size_t size) {
  return AllocationAllowed() ? std::malloc(size) : nullptr;
}

void* RasterAllocateZeroed(size_t count, size_t size) {
  return AllocationAllowed() ? std::calloc(count, size) : nullptr;
}

void* RasterReallocate(void* block, size_t size) {
  return AllocationAllowed() ? std::realloc(block, size) : nullptr;
}

void RasterFree(void* block) { std::free(block); }

void RasterFailAllocationsAfter(int32_t count) {
  g_allocationsLeft.store(count < 0 ? -1 : count, std::memory_order_relaxed);
}

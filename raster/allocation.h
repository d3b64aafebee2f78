// Every heap block of the raster library comes from here, so a test can make
// the n-th request fail and check that each failure path is orderly.
#pragma once

#include <cstddef>
#include <cstdint>

void* RasterAllocate(size_t size);                 // malloc
void* RasterAllocateZeroed(size_t count, size_t size);  // calloc
void* RasterReallocate(void* block, size_t size);  // realloc
void RasterFree(void* block);

// After count more successful requests, every request fails; -1 turns the
// failures off again.
void RasterFailAllocationsAfter(int32_t count);

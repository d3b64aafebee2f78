// Shared set-up for the raster tests: the runtime started once per program,
// and small readers for the frame buffer and images.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "raster/raster_internal.h"
#include "runtime/runtime.h"

inline void StartRuntimeOnce() {
  static const bool started = [] {
    RuntimeInit();
    RuntimeStart(0, nullptr, 0);
    return true;
  }();
  (void)started;
}

// Leaves the process with no mode set, as before the first mode set.
inline void DropScreenMode() { RasterProgramEnd(false); }

class RasterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartRuntimeOnce();
    SetErrorNumber(0);
  }
  void TearDown() override { DropScreenMode(); }

  // A 32-bit off-screen mode; fails the test when it cannot be set.
  void SetMode(int32_t width, int32_t height, int32_t depth = 32) {
    SetScreenMode(width, height, depth, 1, -1, 0);
    ASSERT_NE(CurrentScreenMode(), nullptr);
  }

  static uint32_t ScreenPixel(int32_t x, int32_t y) {
    const ScreenMode* mode = CurrentScreenMode();
    uint32_t value;
    std::memcpy(&value, mode->frameBuffer + static_cast<size_t>(y) * mode->pitch + 4 * x, 4);
    return value;
  }

  static void SetScreenPixel(int32_t x, int32_t y, uint32_t value) {
    const ScreenMode* mode = CurrentScreenMode();
    std::memcpy(mode->frameBuffer + static_cast<size_t>(y) * mode->pitch + 4 * x, &value, 4);
  }

  static void ClearDirtyRows() {
    const ScreenMode* mode = CurrentScreenMode();
    for (int32_t y = 0; y < mode->height; ++y) mode->dirtyLines[y].store(0);
  }

  // Rows marked dirty, as a string of 0s and 1s (readable in failures).
  static std::string DirtyRows() {
    const ScreenMode* mode = CurrentScreenMode();
    std::string rows;
    for (int32_t y = 0; y < mode->height; ++y) rows += mode->dirtyLines[y].load() ? '1' : '0';
    return rows;
  }

  static uint32_t LockBits() {
    return CurrentScreenMode()->lockBits.load();
  }
};

// Hand-made image blocks, and the bytes of an image.
inline ImageBuffer* AsImage(uint8_t* block) { return reinterpret_cast<ImageBuffer*>(block); }
inline uint8_t* BytesOf(ImageBuffer* image) { return reinterpret_cast<uint8_t*>(image); }
inline const uint8_t* BytesOf(const ImageBuffer* image) {
  return reinterpret_cast<const uint8_t*>(image);
}

inline uint32_t ImagePixel32(const ImageBuffer* image, int32_t x, int32_t y) {
  const ImageHeader* header = HeaderOf(image);
  uint32_t value;
  std::memcpy(&value,
              BytesOf(image) + kImageHeaderSize +
                  static_cast<size_t>(y) * header->pitch + 4 * x,
              4);
  return value;
}

inline void SetImagePixel32(ImageBuffer* image, int32_t x, int32_t y, uint32_t value) {
  const ImageHeader* header = HeaderOf(image);
  std::memcpy(BytesOf(image) + kImageHeaderSize +
                  static_cast<size_t>(y) * header->pitch + 4 * x,
              &value, 4);
}

struct FreeImage {
  void operator()(ImageBuffer* image) const { std::free(image); }
};

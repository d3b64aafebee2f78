// The raster library's insides, for its own files and its tests; callers include raster.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "raster/raster.h"
#include "raster/screen_state.h"
#include "raster/draw_steps.h"

// The off-screen driver "Null": no hooks, so lock and unlock do nothing.
extern const ScreenDriver kNullDriver;

struct RasterFont {
  uint32_t glyphWidth;   // 8
  uint32_t glyphHeight;  // 8
  const uint8_t* glyphs;
};

struct ModeInfo {
  uint16_t width;
  uint16_t height;
  uint8_t depth;
  uint8_t scanlineSize;
  const uint32_t* defaultPalette;
  const RasterFont* font;
  uint8_t textColumns;  // width / 8, wrapping past 2047 pixels
  uint8_t textRows;
};

// Bytes of one frame-buffer page of width x height pixels at depth (15 and 16 give 2 bytes,
// 24 and 32 give 4), or 0 when a page that large can't be one block on a machine whose largest
// block is largestBlock bytes (PTRDIFF_MAX here; 2^31 - 1 on a 32-bit machine). Computed in
// 64 bits, so no size wraps on the way.
uint64_t ModePageBytes(int32_t width, int32_t height, int32_t depth, uint64_t largestBlock);

struct PixelPoint {
  int32_t x;
  int32_t y;
};

struct AlphaRoutineTable {
  PutRoutine entries[4];  // by bytes per pixel - 1
};

void RowCopy(const uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
             int32_t sourcePitch, int32_t destinationPitch, int32_t alpha,
             void* customRoutine, intptr_t parameter);
// The reference blend; the SIMD versions give identical results.
void AlphaBlend32(const uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
                  int32_t sourcePitch, int32_t destinationPitch, int32_t alpha,
                  void* customRoutine, intptr_t parameter);
void AlphaMaskPut(const uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
                  int32_t sourcePitch, int32_t destinationPitch, int32_t alpha,
                  void* customRoutine, intptr_t parameter);

// Plain, and with the fastest blend this processor runs.
const AlphaRoutineTable* PlainAlphaRoutines();
const AlphaRoutineTable* FastAlphaRoutines();

// The graphics sleep installed as the runtime's sleep hook while a mode is set.
void GraphicsSleep(int32_t milliseconds);
// Reads and clears the key-pressed flag. Only a window driver would raise it, and this
// library carries none.
bool RasterTakeKey();

// The atexit handler's teardown. While other threads may still draw, only the hooks are
// cleared and the mode's memory is left alone.
void RasterProgramEnd(bool otherThreadsRunning);

// ---- the inline steps ------------------------------------------------------------
// What every primitive does inline; what it rarely needs (a new target, new routines, the
// driver's hooks) stays out of line.

DrawContext* RenewDrawContext(DrawContext* context, const ScreenMode* mode);
bool SelectNewTarget(DrawContext* context, const ImageBuffer* image);
void ChoosePixelRoutines(DrawContext* context);

// The context on a mode already read (null: the context as it stands).
inline DrawContext* GetDrawContextOn(const ScreenMode* mode) {
  auto* context = static_cast<DrawContext*>(ThreadContextBlock(kDrawSlot, sizeof(DrawContext)));
  if (!context) return nullptr;
  if (!mode || context->modeId == mode->id) return context;
  return RenewDrawContext(context, mode);
}

// The calling thread's context, brought up to date with the current mode.
// Null only when memory for it cannot be obtained.
inline DrawContext* GetDrawContext() { return GetDrawContextOn(CurrentScreenMode()); }

// False (context unchanged) when the image's header is unreadable or the
// row table cannot grow. `mode` is the current mode, read once by the
// caller, or null.
inline bool SelectTargetOn(DrawContext* context, const ImageBuffer* image, const ScreenMode* mode) {
  // The screen again, with nothing to restore: only the assignment.
  if (!image && !(context->contextFlags & (kReselectScreen | kTargetIsImage)) && mode) {
    context->target = nullptr;
    return true;
  }
  return SelectNewTarget(context, image);
}

inline bool SelectTarget(DrawContext* context, const ImageBuffer* image) {
  return SelectTargetOn(context, image, CurrentScreenMode());
}

bool ActiveBlendIsSimd();  // raster/blend.h

// Choosing pixel routines also raises the mode's kSimdAvailable once a faster blend is in
// use, so until the flag has caught up the choice is made anew.
inline bool SimdFlagCaughtUp(const ScreenMode* mode) {
  return (mode->flags.load(std::memory_order_relaxed) & kSimdAvailable) || !ActiveBlendIsSimd();
}

inline bool PixelRoutinesCurrent(const DrawContext* context, const ScreenMode* mode) {
  return context->routinesBytesPerPixel == context->targetBytesPerPixel && mode &&
         SimdFlagCaughtUp(mode);
}

// Blending pixel routines exist only for modes set with alpha primitives,
// which the off-screen driver never has; the colour does not change the
// choice here.
inline void SelectPixelRoutinesOn(DrawContext* context, const ScreenMode* mode) {
  if (PixelRoutinesCurrent(context, mode)) return;
  ChoosePixelRoutines(context);
}

inline void SelectPixelRoutines(DrawContext* context, uint32_t colour) {
  (void)colour;
  SelectPixelRoutinesOn(context, CurrentScreenMode());
}

// The 32-bit store is made here: the call through the table costs more than the store.
inline void StorePixel(DrawContext* context, int32_t x, int32_t y, uint32_t colour) {
  if (context->putPixel == PutPixel32) {
    std::memcpy(PixelAddress32(context, static_cast<uint32_t>(x), static_cast<uint32_t>(y)),
                &colour, 4);
    return;
  }
  context->putPixel(context, x, y, colour);
}

inline uint32_t ConvertColour(int32_t bytesPerPixel, uint32_t colour) {
  if (bytesPerPixel >= 4 || bytesPerPixel <= 0) return colour;
  if (bytesPerPixel == 2) {
    const uint32_t red = (colour >> 16) & 0xFF;
    const uint32_t green = (colour >> 8) & 0xFF;
    const uint32_t blue = colour & 0xFF;
    colour = ((red << 8) & 0xF800) | ((green << 3) & 0x7E0) | (blue >> 3);
  }
  return colour & ((1u << (8 * bytesPerPixel)) - 1);
}

inline int32_t ClampToCoordinateLimit(int64_t value) {
  if (value < -kCoordinateLimit) return -kCoordinateLimit;
  if (value > kCoordinateLimit) return kCoordinateLimit;
  return static_cast<int32_t>(value);
}

inline PixelPoint TransformPoint(const DrawContext* context, float x, float y) {
  PixelPoint point;
  point.x = ClampToCoordinateLimit(static_cast<int64_t>(RoundCoordinate(x)) + context->viewX);
  point.y = ClampToCoordinateLimit(static_cast<int64_t>(RoundCoordinate(y)) + context->viewY);
  return point;
}

inline void BeginDraw() {
  ScreenMode* mode = CurrentScreenMode();
  if (mode) BeginDrawOn(mode, DriverHasLockHooks(mode));
}

// Rows are clamped to the screen; an empty or reversed range marks nothing.
inline void MarkDirtyRows(ScreenMode* mode, int64_t firstRow, int64_t lastRow) {
  if (firstRow == lastRow && firstRow >= 0 && firstRow < mode->height) {
    mode->dirtyLines[firstRow].store(1, std::memory_order_relaxed);  // a pixel's row
    return;
  }
  if (firstRow < 0) firstRow = 0;
  if (lastRow >= mode->height) lastRow = mode->height - 1;
  for (int64_t y = firstRow; y <= lastRow; ++y) {
    mode->dirtyLines[y].store(1, std::memory_order_relaxed);
  }
}

// The first half of EndDraw alone: marks rows when the target is the frame
// buffer.
inline void MarkRowsDrawn(DrawContext* context, int32_t firstRow, int32_t rowCount) {
  ScreenMode* mode = CurrentScreenMode();
  if (!mode || rowCount <= 0 || !OnFrameBuffer(context, mode)) return;
  MarkDirtyRows(mode, firstRow, static_cast<int64_t>(firstRow) + rowCount - 1);
}

inline void EndDraw(DrawContext* context, int32_t firstRow, int32_t rowCount) {
  MarkRowsDrawn(context, firstRow, rowCount);
  ScreenMode* mode = CurrentScreenMode();
  if (mode) EndDrawOn(mode, DriverHasLockHooks(mode));
}

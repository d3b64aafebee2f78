// The image put: the source rectangle, clipped to the target, handed to the
// put routine of the caller's mode; and the routines of alpha mode.
#include <algorithm>
#include <cstring>

#include "raster/blend.h"
#include "raster/raster_internal.h"

namespace {

// The put chooses the pixel routines for an opaque colour: never the
// blending ones.
constexpr uint32_t kOpaqueBlack = 0xFF000000u;

// The bytes from the first pixel of the first row to the last pixel of
// the last row, as addresses: [start, end).
struct Span {
  uintptr_t start, end;
};
Span SpanOf(const uint8_t* first, int32_t width, int32_t height, int32_t pitch) {
  const uintptr_t start = reinterpret_cast<uintptr_t>(first);
  const uintptr_t last = start + static_cast<uintptr_t>(static_cast<intptr_t>(height - 1) * pitch);
  const uintptr_t rowBytes = static_cast<uintptr_t>(width) * 4;
  return pitch >= 0 ? Span{start, last + rowBytes} : Span{last, start + rowBytes};
}

// An image put onto itself reads pixels that the same put has already written; the result is
// defined pixel by pixel from left to right, which only the reference blend follows, so
// overlapping areas take it.
void AlphaBlend32Fast(const uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
                      int32_t sourcePitch, int32_t destinationPitch, int32_t alpha,
                      void* customRoutine, intptr_t parameter) {
  const Span read = SpanOf(source, width, height, sourcePitch);
  const Span written = SpanOf(destination, width, height, destinationPitch);
  const bool overlap = read.start < written.end && written.start < read.end;
  PutRoutine blend = overlap ? AlphaBlend32 : BlendKernelRoutine(ActiveBlendKernel());
  if (!blend) blend = AlphaBlend32;
  blend(source, destination, width, height, sourcePitch, destinationPitch, alpha, customRoutine,
        parameter);
}

constexpr AlphaRoutineTable kPlainAlphaRoutines = {{RowCopy, RowCopy, nullptr, AlphaBlend32}};
constexpr AlphaRoutineTable kFastAlphaRoutines = {{RowCopy, RowCopy, nullptr, AlphaBlend32Fast}};

int32_t Fail() { return SetErrorNumber(1); }

}  // namespace

const AlphaRoutineTable* PlainAlphaRoutines() { return &kPlainAlphaRoutines; }
const AlphaRoutineTable* FastAlphaRoutines() { return &kFastAlphaRoutines; }

void RowCopy(const uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
             int32_t sourcePitch, int32_t destinationPitch, int32_t, void*, intptr_t) {
  // Called for 1- and 2-byte targets only, whose pixel size the context holds.
  const DrawContext* context = GetDrawContext();
  const int32_t bytesPerPixel = context ? context->targetBytesPerPixel : 1;
  const size_t rowBytes = static_cast<size_t>(width) * static_cast<size_t>(bytesPerPixel);
  for (int32_t y = 0; y < height; ++y) {
    std::memmove(destination + static_cast<intptr_t>(y) * destinationPitch,
                 source + static_cast<intptr_t>(y) * sourcePitch, rowBytes);
  }
}

void AlphaMaskPut(const uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
                  int32_t sourcePitch, int32_t destinationPitch, int32_t, void*, intptr_t) {
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* s = source + static_cast<intptr_t>(y) * sourcePitch;
    uint8_t* d = destination + static_cast<intptr_t>(y) * destinationPitch;
    for (int32_t x = 0; x < width; ++x) d[4 * x + 3] = s[x];
  }
}

void AlphaPut(const uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
              int32_t sourcePitch, int32_t destinationPitch, int32_t alpha, void* customRoutine,
              intptr_t parameter) {
  DrawContext* context = GetDrawContext();
  if (!context) return;
  if (!context->alphaRoutines) {
    const ScreenMode* mode = CurrentScreenMode();
    const bool simd = mode && (mode->flags.load(std::memory_order_relaxed) & kSimdAvailable);
    context->alphaRoutines = simd ? FastAlphaRoutines() : PlainAlphaRoutines();
  }
  const int32_t index = context->targetBytesPerPixel - 1;
  if (index < 0 || index > 3) return;
  const PutRoutine routine = context->alphaRoutines->entries[index];
  if (!routine) return;
  routine(source, destination, width, height, sourcePitch, destinationPitch, alpha,
          customRoutine, parameter);
}

int32_t PutImage(ImageBuffer* target, float x, float y, const ImageBuffer* source,
                 int32_t sourceX1, int32_t sourceY1, int32_t sourceX2, int32_t sourceY2,
                 int32_t flags, int32_t mode, PutRoutine routine, int32_t alpha,
                 void* customRoutine, intptr_t parameter) {
  DrawContext* context = GetDrawContext();
  if (!context || !CurrentScreenMode() || !source) return Fail();
  if (!SelectTarget(context, target)) return Fail();
  SelectPixelRoutines(context, kOpaqueBlack);
  ApplyRelative(context, flags, &x, &y, nullptr, nullptr);
  const PixelPoint destination = TransformPoint(context, x, y);

  ImageInfo image;
  if (!ReadImageInfo(source, context->targetBytesPerPixel, &image)) return Fail();
  if (image.bytesPerPixel != context->targetBytesPerPixel) {
    if (mode == kPutModeAlpha && image.bytesPerPixel == 1 && context->targetBytesPerPixel == 4) {
      routine = AlphaMaskPut;
    } else {
      return Fail();
    }
  }
  if (!routine) return Fail();
  if (image.width <= 0 || image.height <= 0) return 0;

  // The source rectangle, corners inclusive, ordered and clamped to the image.
  int64_t columnStart = 0, rowStart = 0;
  int64_t w = image.width, h = image.height;
  if (sourceX1 != kCoordinateNotGiven) {
    int64_t x1 = std::min(sourceX1, sourceX2), x2 = std::max(sourceX1, sourceX2);
    int64_t y1 = std::min(sourceY1, sourceY2), y2 = std::max(sourceY1, sourceY2);
    x1 = std::clamp<int64_t>(x1, 0, image.width - 1);
    x2 = std::clamp<int64_t>(x2, 0, image.width - 1);
    y1 = std::clamp<int64_t>(y1, 0, image.height - 1);
    y2 = std::clamp<int64_t>(y2, 0, image.height - 1);
    columnStart = x1;
    rowStart = y1;
    w = x2 - x1 + 1;
    h = y2 - y1 + 1;
  }

  // Clip to the target; all sums in 64 bits, so no position overflows.
  int64_t dx = destination.x, dy = destination.y;
  const int64_t viewLeft = context->viewX, viewTop = context->viewY;
  const int64_t viewRight = viewLeft + context->viewWidth;  // exclusive
  const int64_t viewBottom = viewTop + context->viewHeight;
  if (dx + w <= viewLeft || dx >= viewRight || dy + h <= viewTop || dy >= viewBottom) return 0;
  if (dy < viewTop) {
    rowStart += viewTop - dy;
    h -= viewTop - dy;
    dy = viewTop;
  }
  if (dy + h > viewBottom) h = viewBottom - dy;
  if (dx < viewLeft) {
    columnStart += viewLeft - dx;
    w -= viewLeft - dx;
    dx = viewLeft;
  }
  if (dx + w > viewRight) w = viewRight - dx;

  BeginDraw();
  const uint8_t* sourceStart =
      image.pixels + rowStart * image.pitch + columnStart * image.bytesPerPixel;
  uint8_t* destinationStart = context->rows[dy] + dx * context->targetBytesPerPixel;
  routine(sourceStart, destinationStart, static_cast<int32_t>(w), static_cast<int32_t>(h),
          image.pitch, context->targetPitch, alpha, customRoutine, parameter);
  EndDraw(context, static_cast<int32_t>(dy), static_cast<int32_t>(h));
  return 0;
}

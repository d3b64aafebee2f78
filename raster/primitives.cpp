// The drawing primitives: a single pixel, and DrawLine's line, box outline
// and filled box. Each clips to the context's clip rectangle before it
// takes the lock, so a primitive wholly outside touches nothing.
#include <algorithm>
#include <utility>

#include "raster/raster_internal.h"

namespace {

constexpr int32_t kLine = 0;

struct Clip {
  int64_t left, top, right, bottom;  // inclusive
};

Clip ClipOf(const DrawContext* context) {
  return {context->viewX, context->viewY,
          static_cast<int64_t>(context->viewX) + context->viewWidth - 1,
          static_cast<int64_t>(context->viewY) + context->viewHeight - 1};
}

bool Inside(const Clip& clip, int64_t x, int64_t y) {
  return x >= clip.left && x <= clip.right && y >= clip.top && y <= clip.bottom;
}

// Bit 15 of the pattern comes first, and the pattern repeats every 16 pixels.
bool PatternBit(uint32_t style, int64_t step) {
  return (style >> (15 - (step & 15))) & 1;
}

inline uint32_t ColourFor(const DrawContext* context, uint32_t colour, int32_t flags,
                          bool useBackground) {
  if (flags < 0) return useBackground ? context->background : context->foreground;
  return ConvertColour(context->targetBytesPerPixel, colour);
}

// numerator / denominator rounded to nearest, halves away from zero, for a
// positive denominator; no intermediate leaves 64 bits.
int64_t DivideRounded(int64_t numerator, int64_t denominator) {
  int64_t quotient = numerator / denominator;
  const int64_t remainder = numerator % denominator;
  if (2 * (remainder < 0 ? -remainder : remainder) >= denominator) {
    quotient += numerator < 0 ? -1 : 1;
  }
  return quotient;
}

void DrawFilledBox(DrawContext* context, const Clip& clip, int64_t x1, int64_t y1, int64_t x2,
                   int64_t y2, uint32_t colour) {
  if (x2 < clip.left || y2 < clip.top || x1 > clip.right || y1 > clip.bottom) return;
  x1 = std::max(x1, clip.left);
  y1 = std::max(y1, clip.top);
  x2 = std::min(x2, clip.right);
  y2 = std::min(y2, clip.bottom);
  BeginDraw();
  const int32_t count = static_cast<int32_t>(x2 - x1 + 1);
  for (int64_t y = y1; y <= y2; ++y) {
    context->fillSpan(context->rows[y] + x1 * context->targetBytesPerPixel, colour, count);
  }
  EndDraw(context, static_cast<int32_t>(y1), static_cast<int32_t>(y2 - y1 + 1));
}

// The pattern runs on around the outline: top edge, bottom edge, then the
// left and right edges between them.
void DrawBoxOutline(DrawContext* context, const Clip& clip, int64_t x1, int64_t y1, int64_t x2,
                    int64_t y2, uint32_t colour, uint32_t style) {
  if (x2 < clip.left || y2 < clip.top || x1 > clip.right || y1 > clip.bottom) return;
  BeginDraw();
  int64_t step = 0;
  const int64_t left = std::max(x1, clip.left);
  const int64_t right = std::min(x2, clip.right);
  for (int64_t y : {y1, y2}) {
    if (y >= clip.top && y <= clip.bottom) {
      for (int64_t x = left; x <= right; ++x) {
        if (PatternBit(style, step + (x - x1))) {
          context->putPixel(context, static_cast<int32_t>(x), static_cast<int32_t>(y), colour);
        }
      }
    }
    step += x2 - x1 + 1;
    if (y1 == y2) break;
  }
  const int64_t top = std::max(y1 + 1, clip.top);
  const int64_t bottom = std::min(y2 - 1, clip.bottom);
  for (int64_t x : {x1, x2}) {
    if (x >= clip.left && x <= clip.right) {
      for (int64_t y = top; y <= bottom; ++y) {
        if (PatternBit(style, step + (y - y1 - 1))) {
          context->putPixel(context, static_cast<int32_t>(x), static_cast<int32_t>(y), colour);
        }
      }
    }
    step += y2 - y1 - 1 > 0 ? y2 - y1 - 1 : 0;
    if (x1 == x2) break;
  }
  const int64_t firstRow = std::max(y1, clip.top);
  const int64_t lastRow = std::min(y2, clip.bottom);
  EndDraw(context, static_cast<int32_t>(firstRow), static_cast<int32_t>(lastRow - firstRow + 1));
}

// A line stepped along its major axis: one pixel per major step, the minor
// coordinate rounded from the exact slope. Only the steps whose pixels can
// fall inside the clip are visited, so a line far outside costs nothing.
void DrawLineSegment(DrawContext* context, const Clip& clip, int64_t x1, int64_t y1, int64_t x2,
                     int64_t y2, uint32_t colour, uint32_t style) {
  const int64_t dx = x2 - x1;
  const int64_t dy = y2 - y1;
  const bool xMajor = (dx < 0 ? -dx : dx) >= (dy < 0 ? -dy : dy);
  // Work in (major, minor) coordinates.
  int64_t a1 = xMajor ? x1 : y1, b1 = xMajor ? y1 : x1;
  int64_t a2 = xMajor ? x2 : y2, b2 = xMajor ? y2 : x2;
  const int64_t majorLow = xMajor ? clip.left : clip.top;
  const int64_t majorHigh = xMajor ? clip.right : clip.bottom;
  const int64_t minorLow = xMajor ? clip.top : clip.left;
  const int64_t minorHigh = xMajor ? clip.bottom : clip.right;
  const int64_t length = a2 >= a1 ? a2 - a1 : a1 - a2;
  const int64_t direction = a2 >= a1 ? 1 : -1;
  const int64_t minorSpan = b2 - b1;

  // Steps whose major coordinate is inside the clip.
  int64_t firstStep, lastStep;
  if (direction > 0) {
    firstStep = majorLow - a1;
    lastStep = majorHigh - a1;
  } else {
    firstStep = a1 - majorHigh;
    lastStep = a1 - majorLow;
  }
  firstStep = std::max<int64_t>(firstStep, 0);
  lastStep = std::min(lastStep, length);
  // Narrow further to the steps whose minor coordinate can be inside (one
  // step of margin on each side for the rounding).
  if (length > 0 && minorSpan != 0) {
    const double perStep = static_cast<double>(minorSpan) / static_cast<double>(length);
    double enter = (static_cast<double>(minorLow) - 1 - b1) / perStep;
    double leave = (static_cast<double>(minorHigh) + 1 - b1) / perStep;
    if (enter > leave) std::swap(enter, leave);
    if (enter > static_cast<double>(lastStep) || leave < static_cast<double>(firstStep)) return;
    // Both conversions below see values inside firstStep..lastStep.
    if (enter > static_cast<double>(firstStep)) firstStep = static_cast<int64_t>(enter) - 1;
    if (leave < static_cast<double>(lastStep)) lastStep = static_cast<int64_t>(leave) + 1;
    firstStep = std::max<int64_t>(firstStep, 0);
    lastStep = std::min(lastStep, length);
  }
  if (firstStep > lastStep) return;

  bool locked = false;
  int64_t firstRow = 0, lastRow = -1;
  for (int64_t step = firstStep; step <= lastStep; ++step) {
    const int64_t a = a1 + direction * step;
    const int64_t b = length == 0 ? b1 : b1 + DivideRounded(minorSpan * step, length);
    const int64_t x = xMajor ? a : b;
    const int64_t y = xMajor ? b : a;
    if (!Inside(clip, x, y) || !PatternBit(style, step)) continue;
    if (!locked) {
      BeginDraw();
      locked = true;
      firstRow = lastRow = y;
    }
    firstRow = std::min(firstRow, y);
    lastRow = std::max(lastRow, y);
    context->putPixel(context, static_cast<int32_t>(x), static_cast<int32_t>(y), colour);
  }
  if (locked) {
    EndDraw(context, static_cast<int32_t>(firstRow), static_cast<int32_t>(lastRow - firstRow + 1));
  }
}

// Every step of a primitive, for any target, colour and driver. The mode is read once: only
// the drawing thread sets modes, so it cannot change during the call. The parameters are
// PixelSet's, so that PixelSet passes its call on by a jump, its arguments where they are.
[[gnu::noinline]] void SetPixel(ImageBuffer* target, float x, float y, uint32_t colour,
                                int32_t flags, int32_t useBackground) {
  ScreenMode* mode = CurrentScreenMode();
  DrawContext* context = GetDrawContextOn(mode);
  if (!context || !mode) return;
  if (!SelectTargetOn(context, target, mode)) return;
  colour = ColourFor(context, colour, flags, useBackground != 0);
  SelectPixelRoutinesOn(context, mode);
  ApplyRelative(context, flags, &x, &y, nullptr, nullptr);
  const PixelPoint point = TransformPoint(context, x, y);
  if (!Inside(ClipOf(context), point.x, point.y)) return;
  const bool hooks = DriverHasLockHooks(mode);
  BeginDrawOn(mode, hooks);
  StorePixel(context, point.x, point.y, colour);
  if (OnFrameBuffer(context, mode)) mode->dirtyLines[point.y].store(1, std::memory_order_relaxed);
  EndDrawOn(mode, hooks);
}

}  // namespace

// PixelSetOnScreen's general path, kept out of line so that the inline
// direct path stays small in its caller's loop.
int32_t PixelSetElsewhere(ImageBuffer* target, float x, float y, uint32_t colour, int32_t flags,
                          int32_t useBackground) {
  SetPixel(target, x, y, colour, flags, useBackground);
  return kPixelSetElsewhere;
}

void PixelSet(ImageBuffer* target, float x, float y, uint32_t colour, int32_t flags,
              int32_t useBackground) {
  ScreenMode* mode = CurrentScreenMode();
  auto* context = static_cast<DrawContext*>(ThreadContextBlockIfMade(kDrawSlot));
  if (!mode || !context || !SetsScreenPixelDirectly(context, mode, target, flags)) {
    return SetPixel(target, x, y, colour, flags, useBackground);
  }
  SetScreenPixelDirectly(context, mode, x, y, colour, flags);
}

void DrawLine(ImageBuffer* target, float x1, float y1, float x2, float y2, uint32_t colour,
              int32_t type, int32_t style, int32_t flags) {
  DrawContext* context = GetDrawContext();
  if (!context || !CurrentScreenMode()) return;
  if (!SelectTarget(context, target)) return;
  colour = ColourFor(context, colour, flags, false);
  SelectPixelRoutines(context, colour);
  const uint32_t pattern = static_cast<uint32_t>(style) & 0xFFFF;
  ApplyRelative(context, flags, &x1, &y1, &x2, &y2);
  const PixelPoint first = TransformPoint(context, x1, y1);
  const PixelPoint second = TransformPoint(context, x2, y2);
  const Clip clip = ClipOf(context);

  if (type == kLine) {
    DrawLineSegment(context, clip, first.x, first.y, second.x, second.y, colour, pattern);
    return;
  }
  const int64_t left = std::min(first.x, second.x), right = std::max(first.x, second.x);
  const int64_t top = std::min(first.y, second.y), bottom = std::max(first.y, second.y);
  if (type == kFilledBox) {
    DrawFilledBox(context, clip, left, top, right, bottom, colour);
  } else {
    DrawBoxOutline(context, clip, left, top, right, bottom, colour, pattern);
  }
}

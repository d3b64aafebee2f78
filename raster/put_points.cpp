// The alpha put redone at listed points only, and the search for the points it still changes.
// A pixel blended once by an opaque source pixel is already where further blends leave it;
// under a partly transparent one it takes a few more. So a repeated put is needed only where
// the target was written since and where earlier puts have not yet reached that fixed point.
#include <algorithm>
#include <cstring>

#include "raster/blend.h"
#include "raster/raster_internal.h"

namespace {

uint32_t LoadPixel(const uint8_t* address) {
  uint32_t pixel;
  std::memcpy(&pixel, address, 4);
  return pixel;
}

void StorePixel(uint8_t* address, uint32_t pixel) { std::memcpy(address, &pixel, 4); }

// The target pixels a put can reach, right and bottom exclusive.
struct Overlap {
  int32_t left, top, right, bottom;

  // One unsigned comparison per side: with right >= left and bottom >= top, a point left of
  // or above the overlap wraps to a large value. 32 bits are enough: high - low is below 2^32,
  // and v - low, modulo 2^32, is below it exactly when low <= v < high. In 64 bits the i686
  // build spilled register pairs, which made the put at listed points dearer.
  static bool Within(int32_t v, int32_t low, int32_t high) {
    return static_cast<uint32_t>(v) - static_cast<uint32_t>(low) <
           static_cast<uint32_t>(high) - static_cast<uint32_t>(low);
  }
  bool Holds(int32_t x, int32_t y) const {
    return Within(x, left, right) && Within(y, top, bottom);
  }
};

// A source image placed on the overlap's top-left corner.
struct ImageSource {
  const uint8_t* pixels;
  int32_t pitch;
  int32_t left, top;

  const uint8_t* Address(int32_t x, int32_t y) const {
    return pixels + static_cast<size_t>(y - top) * pitch + 4 * static_cast<size_t>(x - left);
  }
  // `offset`: the target pixel's offset from the target's first row.
  const uint8_t* Address(int32_t x, int32_t y, size_t) const { return Address(x, y); }
  uint32_t At(int32_t x, int32_t y, size_t offset) const {
    return LoadPixel(Address(x, y, offset));
  }
};

// A source image whose rows lie at the target's pitch: each of its pixels
// is at the target pixel's offset, less the offset of the overlap's corner
// (which no pixel of the overlap is before).
struct AlignedImageSource {
  const uint8_t* pixels;
  size_t cornerOffset;

  const uint8_t* Address(int32_t, int32_t, size_t offset) const {
    return pixels + (offset - cornerOffset);
  }
  uint32_t At(int32_t x, int32_t y, size_t offset) const {
    return LoadPixel(Address(x, y, offset));
  }
};

// A source of one colour everywhere: nothing to read.
struct ColourSource {
  uint32_t colour;

  const uint8_t* Address(int32_t, int32_t, size_t) const { return nullptr; }
  uint32_t At(int32_t, int32_t, size_t) const { return colour; }
};

// The overlap of the source, placed on the clip origin, with the clip
// rectangle, in target pixels; and how to reach the source's pixels.
bool FindOverlap(DrawContext* context, ImageBuffer* target, const ImageBuffer* source,
                 Overlap* overlap, ImageSource* pixels) {
  if (!context || !CurrentScreenMode() || !source) return false;
  if (!SelectTarget(context, target)) return false;
  ImageInfo image;
  if (!ReadImageInfo(source, context->targetBytesPerPixel, &image)) return false;
  if (image.bytesPerPixel != 4 || context->targetBytesPerPixel != 4) return false;
  overlap->left = context->viewX;
  overlap->top = context->viewY;
  overlap->right = context->viewX + std::max(0, std::min(context->viewWidth, image.width));
  overlap->bottom = context->viewY + std::max(0, std::min(context->viewHeight, image.height));
  *pixels = ImageSource{image.pixels, image.pitch, overlap->left, overlap->top};
  return true;
}

// A colour covers the whole clip rectangle.
bool FindClip(DrawContext* context, ImageBuffer* target, Overlap* overlap) {
  if (!context || !CurrentScreenMode()) return false;
  if (!SelectTarget(context, target)) return false;
  if (context->targetBytesPerPixel != 4) return false;
  overlap->left = context->viewX;
  overlap->top = context->viewY;
  overlap->right = context->viewX + std::max(0, context->viewWidth);
  overlap->bottom = context->viewY + std::max(0, context->viewHeight);
  return true;
}

int32_t Fail() {
  SetErrorNumber(1);
  return -1;
}

constexpr int32_t kFetchAhead = 16;  // points

int32_t PointX(uint32_t point) { return static_cast<int32_t>(point & 0xFFFF); }
int32_t PointY(uint32_t point) { return static_cast<int32_t>(point >> 16); }

// Which listed pixels a put blends: every one, those holding the given
// colour, or every one, each known to hold that colour or the put's result
// already (nothing is read: a point that misses the caches holds up no other).
enum class Listed { kAny, kOverColour, kKnownOverColour };

template <Listed kListed, typename Source>
int32_t PutPoints(DrawContext* context, const Overlap& overlap, const Source& source,
                  uint32_t colour, const uint32_t* points, int32_t count,
                  uint32_t* stillChanging) {
  if (count <= 0) return 0;
  // A target's rows follow one another at its pitch, so a pixel lies at
  // one offset from the first row; its address needs no row table.
  uint8_t* const target = overlap.bottom > overlap.top ? context->rows[0] : nullptr;
  const size_t pitch = static_cast<size_t>(context->targetPitch);
  auto offsetOf = [pitch](int32_t x, int32_t y) {
    return static_cast<size_t>(y) * pitch + 4 * static_cast<size_t>(x);
  };

  BeginDraw();
  int32_t kept = 0;
  int32_t firstRow = overlap.bottom, lastRow = overlap.top - 1;
  for (int32_t i = 0; i < count; ++i) {
    // Listed pixels lie anywhere in images larger than the caches, so nearly every one is a
    // miss; asking for them well ahead lets the misses overlap. The prefetches stay in this
    // loop: GCC drops a function that does nothing but prefetch, and every call to it.
    if (i + kFetchAhead < count) {
      const int32_t aheadX = PointX(points[i + kFetchAhead]);
      const int32_t aheadY = PointY(points[i + kFetchAhead]);
      if (overlap.Holds(aheadX, aheadY)) {
        const size_t offset = offsetOf(aheadX, aheadY);
        __builtin_prefetch(target + offset, 1);
        if (const uint8_t* ahead = source.Address(aheadX, aheadY, offset)) {
          __builtin_prefetch(ahead, 0);
        }
      }
    }
    const uint32_t point = points[i];
    const int32_t x = PointX(point);
    const int32_t y = PointY(point);
    if (!overlap.Holds(x, y)) continue;
    const size_t offset = offsetOf(x, y);
    uint8_t* address = target + offset;
    const uint32_t before = kListed == Listed::kKnownOverColour ? colour : LoadPixel(address);
    if (kListed == Listed::kOverColour && before != colour) continue;
    const uint32_t sourcePixel = source.At(x, y, offset);
    const uint32_t after = AlphaBlendPixel(sourcePixel, before);
    StorePixel(address, after);
    firstRow = std::min(firstRow, y);
    lastRow = std::max(lastRow, y);
    // An opaque source pixel takes each channel to s, or s - 1 where the
    // target's was below s: (255 s + d) >> 8. Both stay under a further
    // blend, so such a pixel has settled and needs no second blend.
    if (kListed != Listed::kKnownOverColour && (sourcePixel >> 24) != 0xFF &&
        AlphaBlendPixel(sourcePixel, after) != after) {
      stillChanging[kept++] = point;
    }
  }
  EndDraw(context, firstRow, lastRow - firstRow + 1);
  return kept;
}

template <Listed kListed>
int32_t PutImagePoints(ImageBuffer* target, const ImageBuffer* source, uint32_t colour,
                       const uint32_t* points, int32_t count, uint32_t* stillChanging) {
  DrawContext* context = GetDrawContext();
  Overlap overlap;
  ImageSource pixels;
  if (!FindOverlap(context, target, source, &overlap, &pixels)) return Fail();
  if (pixels.pitch != context->targetPitch) {
    return PutPoints<kListed>(context, overlap, pixels, colour, points, count, stillChanging);
  }
  // The common case, a source the size of the target: its pixels are found
  // by the target's offsets.
  const AlignedImageSource aligned{
      pixels.pixels, static_cast<size_t>(overlap.top) * static_cast<size_t>(pixels.pitch) +
                         4 * static_cast<size_t>(overlap.left)};
  return PutPoints<kListed>(context, overlap, aligned, colour, points, count, stillChanging);
}

// Rows are compared a stretch at a time: the stretch blended in a copy by
// the put's own routine, then set against the target.
constexpr int32_t kStretch = 64;

}  // namespace

int32_t AlphaPutPoints(ImageBuffer* target, const ImageBuffer* source, const uint32_t* points,
                       int32_t count, uint32_t* stillChanging) {
  return PutImagePoints<Listed::kAny>(target, source, 0, points, count, stillChanging);
}

int32_t AlphaPutPointsOver(ImageBuffer* target, const ImageBuffer* source, uint32_t colour,
                           const uint32_t* points, int32_t count, uint32_t* stillChanging) {
  return PutImagePoints<Listed::kOverColour>(target, source, colour, points, count, stillChanging);
}

int32_t AlphaPutColourPointsKnownOver(ImageBuffer* target, uint32_t sourceColour,
                                      uint32_t colour, const uint32_t* points, int32_t count) {
  // A point listed twice gets the result twice, which the put over `colour`
  // gives only where one more put leaves that result alone.
  const uint32_t result = AlphaBlendPixel(sourceColour, colour);
  if (AlphaBlendPixel(sourceColour, result) != result) return Fail();
  DrawContext* context = GetDrawContext();
  Overlap overlap;
  if (!FindClip(context, target, &overlap)) return Fail();
  // Nothing is written to the still-changing list: every result has settled.
  return PutPoints<Listed::kKnownOverColour>(context, overlap, ColourSource{sourceColour}, colour,
                                             points, count, nullptr);
}

int32_t AlphaPutChangingPoints(ImageBuffer* target, const ImageBuffer* source, uint32_t* points,
                               int32_t capacity) {
  DrawContext* context = GetDrawContext();
  Overlap overlap;
  ImageSource pixels;
  if (!FindOverlap(context, target, source, &overlap, &pixels)) return Fail();
  int32_t found = 0;
  uint32_t blended[kStretch];
  for (int32_t y = overlap.top; y < overlap.bottom; ++y) {
    const uint8_t* sourceRow = pixels.Address(overlap.left, y);
    const uint8_t* targetRow = context->rows[y];
    for (int32_t x = overlap.left; x < overlap.right; x += kStretch) {
      const int32_t width = std::min(kStretch, overlap.right - x);
      const uint8_t* targetStretch = targetRow + 4 * static_cast<size_t>(x);
      std::memcpy(blended, targetStretch, 4 * static_cast<size_t>(width));
      AlphaPut(sourceRow + 4 * static_cast<size_t>(x - overlap.left),
               reinterpret_cast<uint8_t*>(blended), width, 1, 0, 0, -1, nullptr, 0);
      if (std::memcmp(blended, targetStretch, 4 * static_cast<size_t>(width)) == 0) continue;
      for (int32_t i = 0; i < width; ++i) {
        if (blended[i] == LoadPixel(targetStretch + 4 * static_cast<size_t>(i))) continue;
        if (found == capacity) return -1;
        points[found++] = PackPoint(x + i, y);
      }
    }
  }
  return found;
}

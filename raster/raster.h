// The raster library: one screen mode with an off-screen frame buffer, a drawing context per
// thread, the screen lock, image buffers, and the primitives the saver draws with.
//
// Conventions shared by every primitive:
// - A target is an ImageBuffer, or null for the screen (the FrameBuffer).
// - Coordinates are 32-bit floats in the target's pixels, rounded to the
//   nearest pixel with halves away from zero; (0, 0) is the top-left pixel.
// - Colours are 0xAARRGGBB words; at 2 bytes per pixel they become RGB 5-6-5.
// - `flags` is a CoordFlags word: bit 31 = colour not given (the context's
//   foreground or background is used); low three bits = relative points.
// - Primitives report no errors; with no screen mode set they do nothing.
#pragma once

#include <cstdint>

#include "raster/coordinates.h"
#include "raster/image_header.h"

// ---- named arguments -------------------------------------------------------------

constexpr int32_t kOffscreenDriver = -1;  // SetScreenMode's flags: the off-screen driver
constexpr int32_t kFilledBox = 2;         // DrawLine's type: a filled box
constexpr int32_t kSolidStyle = 0xFFFF;   // DrawLine's style: every pixel drawn
// CoordFlags: one absolute point; and the bit that says no colour is given.
constexpr int32_t kAbsolutePoint = 4;
constexpr int32_t kNoColourGiven = static_cast<int32_t>(0x80000000u);

// ---- the interface ---------------------------------------------------------------

// Sets a screen mode by size. depth is one of 1, 2, 4, 8, 15, 16, 24, 32 (15 gives 16, 24
// gives 32); pageCount below 1 gives one page; flags kOffscreenDriver selects the off-screen
// driver, the only one this library carries. Failure sets the calling thread's error number
// to 1: a size outside 1..65535, another depth, or a page too large to address as one block
// leaves the current mode untouched; an allocation failure or a driver that cannot attach
// leaves no mode set.
void SetScreenMode(int32_t width, int32_t height, int32_t depth, int32_t pageCount,
                   int32_t flags, int32_t refreshRate);

// The screen lock: a flag, not a mutual exclusion. A second ScreenLock does
// nothing and one ScreenUnlock releases. ScreenUnlock marks rows firstRow to
// lastRow dirty; -1, -1 means the whole screen.
void ScreenLock();
void ScreenUnlock(int32_t firstRow, int32_t lastRow);

// The first byte of the frame buffer (rows of width pixels, pitch
// bytesPerPixel * width, top row first); null when no mode is set. Makes
// the screen the calling thread's drawing target again.
void* ScreenPointer();

// A blank image of width x height pixels. depth 0 or below takes the
// screen's pixel size, otherwise (depth + 7) / 8 bytes per pixel, which must
// be 1, 2 or 4. flags < 0: filled with the transparent colour (0, 0xF81F,
// 0xFFFF00FF); otherwise filled with colour. Rows are 16-byte aligned in
// pitch. Null when no mode is set, the size or depth is refused, or memory
// is short. The caller owns the block (free() releases it); the image
// becomes the calling thread's drawing target.
ImageBuffer* ImageCreate(int32_t width, int32_t height, uint32_t colour, int32_t depth,
                         int32_t flags);

// type 0: a line; 1: a box outline (both drawn with the 16-bit style
// pattern, most significant bit first); 2: a filled box. Corners inclusive.
void DrawLine(ImageBuffer* target, float x1, float y1, float x2, float y2, uint32_t colour,
              int32_t type, int32_t style, int32_t flags);

// One pixel; the colour word replaces the pixel (alpha included, unblended).
// useBackground non-zero: a colour not given means the background colour.
void PixelSet(ImageBuffer* target, float x, float y, uint32_t colour, int32_t flags,
              int32_t useBackground);

// A put routine writes exactly the w x h destination rectangle:
//   source, destination: the first source pixel and where it lands;
//   width, height: the rectangle, both at least 1;
//   sourcePitch, destinationPitch: bytes from one row start to the next;
//   alpha, customRoutine, parameter: the put's own arguments, unchanged.
using PutRoutine = void (*)(const uint8_t* source, uint8_t* destination, int32_t width,
                            int32_t height, int32_t sourcePitch, int32_t destinationPitch,
                            int32_t alpha, void* customRoutine, intptr_t parameter);

constexpr int32_t kPutModeAlpha = 6;
constexpr int32_t kCoordinateNotGiven = static_cast<int32_t>(0xFFFF0000u);

// Puts the source rectangle (sourceX1, sourceY1)-(sourceX2, sourceY2),
// corners inclusive, or the whole source when sourceX1 is
// kCoordinateNotGiven, with its top-left pixel at (x, y) on the target,
// clipped. Returns 0, or 1 with error number 1 when no mode is set, the
// source is null or unreadable, or the pixel sizes don't match (an 8-bit
// source onto a 32-bit target in alpha mode puts an alpha mask instead).
int32_t PutImage(ImageBuffer* target, float x, float y, const ImageBuffer* source,
                 int32_t sourceX1, int32_t sourceY1, int32_t sourceX2, int32_t sourceY2,
                 int32_t flags, int32_t mode, PutRoutine routine, int32_t alpha,
                 void* customRoutine, intptr_t parameter);

// The put routine of alpha mode: at 4 bytes per pixel each destination
// pixel is blended with the source pixel by the source's alpha; at 1 and 2
// bytes the rows are copied. The uniform alpha argument is not used.
void AlphaPut(const uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
              int32_t sourcePitch, int32_t destinationPitch, int32_t alpha,
              void* customRoutine, intptr_t parameter);

// ---- a repeated alpha put, redone only where it changes something ----------
// Repeating an alpha-mode put of the same source at the same place brings every target pixel
// to a value one more put leaves alone. A caller that repeats the put of a source with its
// top-left pixel on the target's can redo it only where it still changes something, with the
// same result as the whole put. A point names a target pixel as (y << 16) | x; points outside
// the source or the clip rectangle are skipped.

constexpr uint32_t PackPoint(int32_t x, int32_t y) {
  return (static_cast<uint32_t>(y) << 16) | static_cast<uint32_t>(x);
}

// The put at the listed points only, each pixel blended once. The points
// whose pixel one more put would still change are written, in list order,
// to stillChanging (which may be points itself); returns how many. The lock
// is taken and released around the writes as PutImage does. -1 with error
// number 1 where PutImage fails.
int32_t AlphaPutPoints(ImageBuffer* target, const ImageBuffer* source, const uint32_t* points,
                       int32_t count, uint32_t* stillChanging);
// The same at the listed points whose pixel holds `colour`; the others are
// left out, so a point listed twice is blended only the first time.
int32_t AlphaPutPointsOver(ImageBuffer* target, const ImageBuffer* source, uint32_t colour,
                           const uint32_t* points, int32_t count, uint32_t* stillChanging);
// The same for a source of one colour everywhere, `sourceColour`, covering the whole clip
// rectangle, where every listed pixel is known to hold `colour` or the put's result already (a
// point listed twice): the result is stored without the target being read. Returns 0, as no
// stored result changes under a further put; -1 with error number 1 where one would (a point
// listed twice would then be blended twice), or where PutImage fails.
int32_t AlphaPutColourPointsKnownOver(ImageBuffer* target, uint32_t sourceColour,
                                      uint32_t colour, const uint32_t* points, int32_t count);
// Every point where a put would change the target now, in row order; -1
// when there are more than `capacity` (or where PutImage fails). Only reads.
int32_t AlphaPutChangingPoints(ImageBuffer* target, const ImageBuffer* source, uint32_t* points,
                               int32_t capacity);

// Frees the calling thread's drawing context. A thread that has drawn or
// addressed the screen calls it before it ends (its next call would make a
// fresh context).
void RasterThreadEnd();

// ---- image geometry ----------------------------------------------------------------

constexpr int32_t kMaxImageSide = 1 << 28;

struct ImageInfo {
  int32_t bytesPerPixel;
  int32_t width;
  int32_t height;
  int32_t pitch;
  const uint8_t* pixels;
};
// Reads either header form; targetBytesPerPixel stands in for a short
// header's 0. False for an unusable header (pixel size other than 1, 2, 4,
// a pitch smaller than a row, or a side above kMaxImageSide).
bool ReadImageInfo(const ImageBuffer* image, int32_t targetBytesPerPixel, ImageInfo* info);

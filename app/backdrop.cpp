#include "app/backdrop.h"

#include <cstring>

#include "app/saver_state.h"
#include "raster/raster.h"

namespace {

void PutWholeImage(ImageBuffer* target, const ImageBuffer* source) {
  PutImage(target, 0.0f, 0.0f, source, kCoordinateNotGiven, kCoordinateNotGiven,
           kCoordinateNotGiven, kCoordinateNotGiven, kAbsolutePoint, kPutModeAlpha, AlphaPut, -1,
           nullptr, 0);
}

// The logo at the monitor's top-left corner, clipped to the monitor, so that
// no logo spills onto a neighbour.
void PutLogoOnMonitor(ImageBuffer* backdrop, ImageBuffer* logo, const SaverRect& monitor) {
  PutImage(backdrop, static_cast<float>(monitor.left), static_cast<float>(monitor.top), logo, 0, 0,
           monitor.right - monitor.left - 1, monitor.bottom - monitor.top - 1, kAbsolutePoint,
           kPutModeAlpha, AlphaPut, -1, nullptr, 0);
}

// The area a logo put at (left, top) can cover, clipped to the desktop.
SaverRect LogoArea(const ImageHeader* logo, int32_t left, int32_t top) {
  const int64_t right = int64_t{left} + logo->width, bottom = int64_t{top} + logo->height;
  return {std::max(left, 0), std::max(top, 0),
          static_cast<int32_t>(std::min<int64_t>(right, saverState.width)),
          static_cast<int32_t>(std::min<int64_t>(bottom, saverState.height))};
}

// Widens a row's span to take in [left, right) as well.
void WidenSpan(RowSpan& span, int32_t left, int32_t right) {
  const auto from = static_cast<uint32_t>(left), to = static_cast<uint32_t>(right);
  span = span.right > span.left ? RowSpan{std::min(span.left, from), std::max(span.right, to)}
                                 : RowSpan{from, to};
}

// The smallest rectangle inside `area` that holds every backdrop pixel other
// than kBackdropColour; empty (right <= left) if none does. Most of a logo is
// transparent, and snow outside its visible part is put back without reading
// anything. Each row's span in `rows` (null: not wanted) widens to its pixels.
SaverRect VisiblePart(const ImageBuffer* backdrop, SaverRect area, RowSpan* rows) {
  ImageInfo image;
  if (!ReadImageInfo(backdrop, 4, &image) || image.bytesPerPixel != 4) {
    // Nothing known of the backdrop: every row of the area whole.
    for (int32_t y = area.top; rows && y < area.bottom; ++y) {
      WidenSpan(rows[y], area.left, area.right);
    }
    return area;
  }
  area.right = std::min(area.right, image.width);
  area.bottom = std::min(area.bottom, image.height);
  // Empty until a pixel is found.
  SaverRect visible{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  for (int32_t y = area.top; y < area.bottom; ++y) {
    const uint8_t* row = image.pixels + static_cast<size_t>(y) * static_cast<size_t>(image.pitch);
    auto blue = [row](int32_t x) {
      uint32_t pixel;
      std::memcpy(&pixel, row + 4 * static_cast<size_t>(x), 4);
      return pixel == kBackdropColour;
    };
    int32_t first = area.left;
    while (first < area.right && blue(first)) ++first;
    if (first >= area.right) continue;
    int32_t last = area.right - 1;
    while (blue(last)) --last;
    if (rows) WidenSpan(rows[y], first, last + 1);
    visible.left = std::min(visible.left, first);
    visible.right = std::max(visible.right, last + 1);
    visible.top = std::min(visible.top, y);
    visible.bottom = y + 1;
  }
  return visible;
}

}  // namespace

void PutWholeBackdrop(const ImageBuffer* backdrop) {
  if (backdrop) {
    PutWholeImage(nullptr, backdrop);
  } else {
    DrawLine(nullptr, 0.0f, 0.0f, static_cast<float>(saverState.width),
             static_cast<float>(saverState.height), kBackdropColour, kFilledBox, kSolidStyle, 0);
  }
}

ImageBuffer* ComposeBackdrop(LogoAreas& logoAreas, ImageBuffer* logo) {
  float width = static_cast<float>(saverState.width);
  float height = static_cast<float>(saverState.height);
  logoAreas.rows.reset();
  logoAreas.rowCount = 0;
  logoAreas.count = 0;
  ImageBuffer* backdrop =
      saverState.plainField ? nullptr
                            : ImageCreate(static_cast<int32_t>(saverState.width),
                                          static_cast<int32_t>(saverState.height), 0, 0,
                                          kNoColourGiven);
  // Without memory for it the saver shows the blue field alone.
  if (!backdrop) return nullptr;
  // Corners inclusive: the box reaches one pixel past the image, clamped.
  DrawLine(backdrop, 0.0f, 0.0f, width, height, kBackdropColour, kFilledBox, kSolidStyle, 0);
  // A null logo is refused by the put and leaves the backdrop plain blue.
  const DesktopLayout& layout = saverState.layout;
  const ImageHeader* header = HeaderOf(logo);
  SaverRect areas[kMaxLogos];
  int32_t areaCount = 0;
  if (layout.monitorCount == 0) {
    // A FrameBuffer sized without a layout is one monitor.
    PutWholeImage(backdrop, logo);
    if (logo) areas[areaCount++] = LogoArea(header, 0, 0);
  }
  for (int32_t i = 0; i < layout.monitorCount; ++i) {
    const SaverRect& monitor = layout.monitors[i];
    PutLogoOnMonitor(backdrop, logo, monitor);
    if (logo) areas[areaCount++] = LogoArea(header, monitor.left, monitor.top);
  }
  // The rows' spans take 8 bytes a desktop row, plus one for rows past it;
  // without memory for them the areas are used whole.
  const uint32_t rowCount = saverState.height;
  logoAreas.rows.reset(
      static_cast<RowSpan*>(std::calloc(rowCount + size_t{1}, sizeof(RowSpan))));
  logoAreas.rowCount = logoAreas.rows ? rowCount : 0;
  for (int32_t i = 0; i < areaCount; ++i) {
    const SaverRect visible = VisiblePart(backdrop, areas[i], logoAreas.rows.get());
    if (visible.right > visible.left) logoAreas.areas[logoAreas.count++] = visible;
  }
  return backdrop;
}

// The snowfall's backdrop: the desktop-sized blue field with a logo at each
// monitor's top-left corner, composed once, and where on the desktop its
// logos can show.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>

#include "app/desktop_layout.h"
#include "app/point_list.h"
#include "app/saver_rect.h"
#include "raster/image_header.h"

constexpr uint32_t kBackdropColour = 0xFF0000FFu;  // opaque blue

// Where a desktop row holds a logo's visible pixels: from its first to its
// last (right exclusive); {0, 0} where it holds none.
struct RowSpan {
  uint32_t left = 0, right = 0;
};

// The smallest rectangle around each logo's visible part, in frame pixels
// (right and bottom exclusive). Elsewhere the backdrop is kBackdropColour, so
// a pixel there is put back without reading it.
struct LogoAreas {
  SaverRect areas[kMaxLogos];
  int32_t count = 0;
  // The same, row by row: rows[y] spans every visible logo pixel of desktop
  // row y; rows[rowCount] is empty, for rows past the desktop. Null: the
  // areas are used whole.
  std::unique_ptr<RowSpan[], FreeBlock> rows;
  uint32_t rowCount = 0;

  // No branch on where the pixel lies: particles fall anywhere, and such a
  // branch was mispredicted for every few.
  bool Hold(uint32_t x, uint32_t y) const {
    if (const RowSpan* spans = rows.get()) {
      const RowSpan& span = spans[std::min(y, rowCount)];
      return x - span.left < span.right - span.left;
    }
    const int32_t column = static_cast<int32_t>(x), row = static_cast<int32_t>(y);
    for (int32_t i = 0; i < count; ++i) {
      const SaverRect& area = areas[i];
      if (column >= area.left && column < area.right && row >= area.top && row < area.bottom) {
        return true;
      }
    }
    return false;
  }
};

// The backdrop for SaverState's desktop and layout, with `logo` (may be
// null) blended at each monitor's corner, and in `logoAreas` where its logos
// show. Null where the saver shows the plain field: SaverState asks for it,
// or there is no memory for the backdrop.
ImageBuffer* ComposeBackdrop(LogoAreas& logoAreas, ImageBuffer* logo);

// The backdrop blended by its own alpha onto the previous frame, not
// copied; without a backdrop, the frame filled with the blue field.
void PutWholeBackdrop(const ImageBuffer* backdrop);

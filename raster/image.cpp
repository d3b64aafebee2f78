// Image buffers: one heap block, the 32-byte header then the pixel rows.
// Readers take the geometry from the header (either form) and never
// recompute the pitch.
#include <cstring>

#include "raster/allocation.h"
#include "raster/raster_internal.h"

namespace {

constexpr uint32_t kTransparent8 = 0;
constexpr uint32_t kTransparent16 = 0xF81F;
constexpr uint32_t kTransparent32 = 0xFFFF00FFu;
constexpr int32_t kPitchAlignment = 16;

uint32_t FillColour(int32_t bytesPerPixel, uint32_t colour, int32_t flags) {
  if (flags < 0) {
    return bytesPerPixel == 1 ? kTransparent8 : bytesPerPixel == 2 ? kTransparent16 : kTransparent32;
  }
  switch (bytesPerPixel) {
    case 1:
      return colour & 0xFF;
    case 2:
      return ((colour & 0xF80000) >> 8) | ((colour & 0xFC00) >> 5) | ((colour & 0xF8) >> 3);
    default:
      return colour;
  }
}

// An image whose pixels take no more bytes than the screen's page is within the limit whatever
// its size: the page was made at that size, and a desktop-sized backdrop must exist wherever the
// frame does, on video walls and 8K screens too. Bytes, not pixels: a 32-bit image on a 16-bit
// screen is twice the page.
bool WithinImageLimit(const ScreenMode& mode, int32_t width, int32_t height, int32_t bytesPerPixel,
                      uint64_t bytes) {
  const uint64_t rowBytes = static_cast<uint64_t>(width) * static_cast<uint64_t>(bytesPerPixel);
  return bytes <= kMaxImagePixelBytes ||
         (rowBytes <= static_cast<uint64_t>(mode.pitch) && height <= mode.height);
}

bool ValidPixelSize(uint32_t bytesPerPixel) {
  return bytesPerPixel == 1 || bytesPerPixel == 2 || bytesPerPixel == 4;
}

}  // namespace

bool ReadImageInfo(const ImageBuffer* image, int32_t targetBytesPerPixel, ImageInfo* info) {
  if (!image) return false;
  const auto* bytes = reinterpret_cast<const uint8_t*>(image);
  ImageHeader header;
  std::memcpy(&header.type, bytes, sizeof(header.type));
  if (header.type == kImageHeaderType) {
    std::memcpy(&header, bytes, sizeof(header));
    if (!ValidPixelSize(header.bytesPerPixel) || header.width > kMaxImageSide ||
        header.height > kMaxImageSide || header.pitch > 0x7FFFFFFFu ||
        static_cast<uint64_t>(header.width) * header.bytesPerPixel > header.pitch) {
      return false;
    }
    info->bytesPerPixel = static_cast<int32_t>(header.bytesPerPixel);
    info->width = static_cast<int32_t>(header.width);
    info->height = static_cast<int32_t>(header.height);
    info->pitch = static_cast<int32_t>(header.pitch);
    info->pixels = bytes + kImageHeaderSize;
    return true;
  }
  ShortImageHeader shortHeader;
  std::memcpy(&shortHeader, bytes, sizeof(shortHeader));
  uint32_t bytesPerPixel = shortHeader.bppAndWidth & 7u;
  if (bytesPerPixel == 0) bytesPerPixel = static_cast<uint32_t>(targetBytesPerPixel);
  if (!ValidPixelSize(bytesPerPixel)) return false;
  info->bytesPerPixel = static_cast<int32_t>(bytesPerPixel);
  info->width = shortHeader.bppAndWidth >> 3;
  info->height = shortHeader.height;
  info->pitch = info->width * info->bytesPerPixel;
  info->pixels = bytes + kShortHeaderSize;
  return true;
}

ImageBuffer* ImageCreate(int32_t width, int32_t height, uint32_t colour, int32_t depth,
                         int32_t flags) {
  DrawContext* context = GetDrawContext();
  const ScreenMode* mode = CurrentScreenMode();
  if (!context || !mode || width <= 0 || height <= 0) return nullptr;
  if (width > kMaxImageSide || height > kMaxImageSide) return nullptr;

  if (depth > 32) return nullptr;
  const int32_t bytesPerPixel = depth <= 0 ? mode->bytesPerPixel : (depth + 7) / 8;
  if (!ValidPixelSize(static_cast<uint32_t>(bytesPerPixel))) return nullptr;
  const uint32_t fill = FillColour(bytesPerPixel, colour, flags);

  const uint64_t pitch =
      (static_cast<uint64_t>(width) * bytesPerPixel + kPitchAlignment - 1) /
      kPitchAlignment * kPitchAlignment;
  const uint64_t size = pitch * static_cast<uint64_t>(height) + kImageHeaderSize;
  if (pitch > 0x7FFFFFFFu || !WithinImageLimit(*mode, width, height, bytesPerPixel,
                        pitch * static_cast<uint64_t>(height)) ||
      size > static_cast<uint64_t>(PTRDIFF_MAX)) {
    return nullptr;
  }

  auto* block = static_cast<uint8_t*>(RasterAllocate(static_cast<size_t>(size)));
  if (!block) return nullptr;
  ImageHeader header = {};
  header.type = kImageHeaderType;
  header.bytesPerPixel = static_cast<uint32_t>(bytesPerPixel);
  header.width = static_cast<uint32_t>(width);
  header.height = static_cast<uint32_t>(height);
  header.pitch = static_cast<uint32_t>(pitch);
  std::memcpy(block, &header, sizeof(header));

  auto* image = reinterpret_cast<ImageBuffer*>(block);
  if (!SelectTarget(context, image)) {
    RasterFree(block);
    return nullptr;
  }
  // Whole pitches, so the gaps between rows get the fill colour too.
  const int32_t pixelsPerPitch = static_cast<int32_t>(pitch) / bytesPerPixel;
  for (int32_t y = 0; y < height; ++y) {
    context->fillSpan(block + kImageHeaderSize + static_cast<size_t>(y) * pitch, fill,
                      pixelsPerPitch);
  }
  return image;
}

#include "app/saver_state.h"

void DescribeFrameBuffer(DibHeader& dib, uint32_t width, uint32_t height) {
  dib = DibHeader{};
  dib.bV4Size = sizeof(DibHeader);
  dib.bV4Width = static_cast<int32_t>(width);
  dib.bV4Height = -static_cast<int32_t>(height);
  dib.bV4Planes = 1;
  dib.bV4BitCount = 32;
  dib.bV4V4Compression = kBitFields;
  dib.bV4SizeImage = height * width * 4u;
  dib.bV4XPelsPerMeter = 1;
  dib.bV4YPelsPerMeter = 1;
  dib.bV4ClrUsed = 0;
  dib.bV4ClrImportant = 0;
  dib.bV4RedMask = 0x00000F00u;
  dib.bV4GreenMask = 0x000000F0u;
  dib.bV4BlueMask = 0x0000000Fu;
  dib.bV4AlphaMask = 0x0000F000u;
}

// The desktop snapshot: the FrameBuffer is set up at the desktop's size and
// filled with the current screen image, so that every paint before the first
// animation frame shows the desktop.
#include "app/saver_platform.h"
#include "app/win32_types.h"
#include "raster/raster.h"

namespace {

constexpr int32_t kOffscreenDriver = -1;

// The FrameBuffer's rows run from the top down (negative height). The masks
// are four bits wide; the platform may rewrite them while taking the snapshot.
void DescribeFrameBuffer(DibHeader& dib, uint32_t width, uint32_t height) {
  dib = DibHeader{};
  dib.bV4Size = sizeof(DibHeader);
  dib.bV4Width = static_cast<int32_t>(width);
  dib.bV4Height = -static_cast<int32_t>(height);
  dib.bV4Planes = 1;
  dib.bV4BitCount = 32;
  dib.bV4V4Compression = BI_BITFIELDS;
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

}  // namespace

void SnapshotDesktop() {
  SaverState& s = saverState;
  s.width = static_cast<uint32_t>(GetSystemMetrics(SM_CXSCREEN));
  s.height = static_cast<uint32_t>(GetSystemMetrics(SM_CYSCREEN));
  SetScreenMode(static_cast<int32_t>(s.width), static_cast<int32_t>(s.height), 32, 1,
                kOffscreenDriver, 0);
  DescribeFrameBuffer(s.dib, s.width, s.height);

  HDC desktopDc = GetWindowDC(GetDesktopWindow());
  HDC memoryDc = CreateCompatibleDC(desktopDc);
  HBITMAP snapshotBitmap = CreateCompatibleBitmap(desktopDc, static_cast<int>(s.width),
                                                  static_cast<int>(s.height));
  s.memoryDc = memoryDc;
  s.snapshotBitmap = snapshotBitmap;
  SelectObject(memoryDc, snapshotBitmap);
  BitBlt(memoryDc, 0, 0, static_cast<int>(s.width), static_cast<int>(s.height), desktopDc, 0, 0,
         SRCCOPY);

  ScreenLock();
  GetDIBits(memoryDc, snapshotBitmap, 0, s.height, ScreenPointer(), AsBitmapInfo(&s.dib),
            DIB_RGB_COLORS);
  ScreenUnlock(-1, -1);
  // The device objects stay for the life of the program.
}

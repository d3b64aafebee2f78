// The desktop snapshot: the FrameBuffer is set up at the desktop's size and
// filled with the current screen image, so that every paint before the first
// animation frame shows the desktop.
#include "app/saver_platform.h"
#include "app/win32_types.h"
#include "raster/raster.h"

namespace {

constexpr int32_t kOffscreenDriver = -1;

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

// The desktop snapshot: the FrameBuffer, sized to the area the saver covers,
// filled with the screen's image, so paints before the first frame show the
// desktop.
#include <cstdint>
#include <cstdlib>

#include "app/saver_platform.h"
#include "app/win32_types.h"
#include "raster/raster.h"

namespace {

struct MonitorList {
  SaverRect rects[kMaxMonitors];
  int32_t count;
  int32_t primary;
};

BOOL CALLBACK ListMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  MonitorList& list = *reinterpret_cast<MonitorList*>(data);
  if (list.count == kMaxMonitors) return FALSE;
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(monitor, &info)) return TRUE;
  if (info.dwFlags & MONITORINFOF_PRIMARY) list.primary = list.count;
  const RECT& r = info.rcMonitor;
  list.rects[list.count++] = SaverRect{r.left, r.top, r.right, r.bottom};
  return TRUE;
}

// Every monitor as Windows lists them. Where it lists none that is usable,
// the primary screen's size stands for one monitor at the origin, as on a
// system of one screen.
DesktopLayout LayOutMonitors() {
  MonitorList list{};
  list.primary = -1;
  EnumDisplayMonitors(nullptr, nullptr, ListMonitor, reinterpret_cast<LPARAM>(&list));
  DesktopLayout layout = LayOutDesktop(list.rects, list.count, list.primary);
  if (layout.monitorCount == 0) {
    layout = SingleMonitorLayout(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  }
  return layout;
}

// Full-screen covers the virtual desktop; a preview's frame has the primary
// monitor's shape, and the primary monitor always starts at the origin.
DesktopLayout CoveredArea() {
  DesktopLayout monitors = LayOutMonitors();
  if (saverState.preview == 0) return monitors;
  return SingleMonitorLayout(monitors.previewWidth, monitors.previewHeight);
}

// Asked of the heap itself, so that a 32-bit process counts the address space
// left in large enough pieces.
bool CanHold(const uint64_t* sizes, int32_t count) {
  constexpr int32_t kMostBlocks = 4;
  void* blocks[kMostBlocks] = {};
  bool held = count <= kMostBlocks;
  for (int32_t i = 0; held && i < count; ++i) {
    held = sizes[i] <= static_cast<uint64_t>(PTRDIFF_MAX) &&
           (blocks[i] = std::malloc(static_cast<size_t>(sizes[i]))) != nullptr;
  }
  for (void* block : blocks) std::free(block);
  return held;
}

}  // namespace

void SnapshotDesktop() {
  SaverState& s = saverState;
  const DesktopLayout covered = CoveredArea();
  const Coverage fit = FitToMemory(covered, CanHold);
  s.layout = fit.layout;
  s.plainField = fit.plainField ? 1 : 0;
  s.screenArea = covered.desktop;
  const SaverRect& area = s.layout.desktop;
  s.width = static_cast<uint32_t>(area.right - area.left);
  s.height = static_cast<uint32_t>(area.bottom - area.top);
  SetScreenMode(static_cast<int32_t>(s.width), static_cast<int32_t>(s.height), 32, 1,
                kOffscreenDriver, 0);
  DescribeFrameBuffer(s.dib, s.width, s.height);

  // In screen coordinates: the area may start left of or above the origin.
  HDC screenDc = GetDC(nullptr);
  HDC memoryDc = CreateCompatibleDC(screenDc);
  HBITMAP snapshotBitmap = CreateCompatibleBitmap(screenDc, static_cast<int>(s.width),
                                                  static_cast<int>(s.height));
  s.memoryDc = memoryDc;
  s.snapshotBitmap = snapshotBitmap;
  SelectObject(memoryDc, snapshotBitmap);
  // A frame that memory made smaller than the screen takes the whole
  // screen shrunk, as its paints stretch it back.
  const SaverRect& screen = s.screenArea;
  const int screenWidth = screen.right - screen.left, screenHeight = screen.bottom - screen.top;
  if (screenWidth == static_cast<int>(s.width) && screenHeight == static_cast<int>(s.height)) {
    BitBlt(memoryDc, 0, 0, static_cast<int>(s.width), static_cast<int>(s.height), screenDc,
           area.left, area.top, SRCCOPY);
  } else {
    SetStretchBltMode(memoryDc, COLORONCOLOR);
    StretchBlt(memoryDc, 0, 0, static_cast<int>(s.width), static_cast<int>(s.height), screenDc,
               screen.left, screen.top, screenWidth, screenHeight, SRCCOPY);
  }

  ScreenLock();
  GetDIBits(memoryDc, snapshotBitmap, 0, s.height, ScreenPointer(), AsBitmapInfo(&s.dib),
            DIB_RGB_COLORS);
  ScreenUnlock(-1, -1);
  // The device objects stay for the life of the program.
}

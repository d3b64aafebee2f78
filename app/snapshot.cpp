// The desktop snapshot: the FrameBuffer, sized to the area the saver covers,
// filled with the screen's image, so paints before the first frame show the
// desktop. The same layout is made anew, without a snapshot, when the
// monitors change while the saver runs.
#include <cstdint>
#include <cstdlib>

#include "app/saver_platform.h"
#include "app/win32_types.h"
#include "raster/raster.h"

namespace {

// Every monitor that Windows lists, however many.
struct MonitorList {
  SaverRect* rects;
  int32_t count;
  int32_t capacity;
  int32_t primary;
};

BOOL CALLBACK ListMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  MonitorList& list = *reinterpret_cast<MonitorList*>(data);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(monitor, &info)) return TRUE;
  if (list.count == list.capacity) {
    const int32_t capacity = list.capacity == 0 ? 16 : 2 * list.capacity;
    void* grown = std::realloc(list.rects, static_cast<size_t>(capacity) * sizeof(SaverRect));
    // Without memory for a longer list, the monitors listed so far are laid out.
    if (grown == nullptr) return FALSE;
    list.rects = static_cast<SaverRect*>(grown);
    list.capacity = capacity;
  }
  if (info.dwFlags & MONITORINFOF_PRIMARY) list.primary = list.count;
  const RECT& r = info.rcMonitor;
  list.rects[list.count++] = SaverRect{r.left, r.top, r.right, r.bottom};
  return TRUE;
}

// Every monitor as Windows lists them. Where it lists none that is usable,
// the primary screen's size stands for one monitor at the origin, as on a
// system of one screen.
DesktopLayout LayOutMonitors() {
  MonitorList list{nullptr, 0, 0, -1};
  EnumDisplayMonitors(nullptr, nullptr, ListMonitor, reinterpret_cast<LPARAM>(&list));
  DesktopLayout layout = LayOutDesktop(list.rects, list.count, list.primary);
  std::free(list.rects);
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

// Asks without taking: the blocks' address space is only reserved, each in
// one piece as the heap would need it, and their sum is held against the
// memory that the system can still commit. Committing them to find out
// would count against every program's commit limit.
bool CanHold(const uint64_t* sizes, int32_t count) {
  constexpr int32_t kMostBlocks = 4;
  if (count > kMostBlocks) return false;
  uint64_t total = 0;
  for (int32_t i = 0; i < count; ++i) total += sizes[i];
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (GlobalMemoryStatusEx(&status) && total > status.ullAvailPageFile) return false;
  void* blocks[kMostBlocks] = {};
  bool held = true;
  for (int32_t i = 0; held && i < count; ++i) {
    held = sizes[i] <= static_cast<uint64_t>(PTRDIFF_MAX) &&
           (blocks[i] = VirtualAlloc(nullptr, static_cast<size_t>(sizes[i]), MEM_RESERVE,
                                     PAGE_NOACCESS)) != nullptr;
  }
  for (void* block : blocks) {
    if (block) VirtualFree(block, 0, MEM_RELEASE);
  }
  return held;
}

// The FrameBuffer for one coverage. False where the mode could not be set.
bool MakeFrame(const Coverage& fit, const DesktopLayout& covered) {
  SaverState& s = saverState;
  s.layout = fit.layout;
  s.plainField = fit.plainField ? 1 : 0;
  s.screenArea = covered.desktop;
  const SaverRect& area = s.layout.desktop;
  s.width = static_cast<uint32_t>(area.right - area.left);
  s.height = static_cast<uint32_t>(area.bottom - area.top);
  SetScreenMode(static_cast<int32_t>(s.width), static_cast<int32_t>(s.height), 32, 1,
                kOffscreenDriver, 0);
  // The platform may have rewritten the colour masks while taking the
  // snapshot; a frame made anew has no snapshot to rewrite them again, so it
  // keeps the masks that every paint has used.
  const DibHeader before = s.dib;
  DescribeFrameBuffer(s.dib, s.width, s.height);
  if (before.bV4Size != 0) {
    s.dib.bV4RedMask = before.bV4RedMask;
    s.dib.bV4GreenMask = before.bV4GreenMask;
    s.dib.bV4BlueMask = before.bV4BlueMask;
    s.dib.bV4AlphaMask = before.bV4AlphaMask;
  }
  return ScreenPointer() != nullptr;
}

// The screen's image in the FrameBuffer. False where the bitmap could not be
// made.
bool CopyScreen() {
  SaverState& s = saverState;
  const SaverRect& area = s.layout.desktop;
  // In screen coordinates: the area may start left of or above the origin.
  HDC screenDc = GetDC(nullptr);
  HDC memoryDc = CreateCompatibleDC(screenDc);
  HBITMAP snapshotBitmap = CreateCompatibleBitmap(screenDc, static_cast<int>(s.width),
                                                  static_cast<int>(s.height));
  if (snapshotBitmap == nullptr) {
    DeleteDC(memoryDc);
    ReleaseDC(nullptr, screenDc);
    return false;
  }
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
  // The device objects stay until the desktop changes.
  return true;
}

void ReleaseSnapshot() {
  SaverState& s = saverState;
  if (s.memoryDc) DeleteDC(static_cast<HDC>(s.memoryDc));
  if (s.snapshotBitmap) DeleteObject(static_cast<HBITMAP>(s.snapshotBitmap));
  s.memoryDc = nullptr;
  s.snapshotBitmap = nullptr;
}

// The memory decision only estimates: each allocation it counted on is
// checked, and the first that fails moves on to the next smaller coverage.
bool CoverDesktop(bool snapshot) {
  const DesktopLayout covered = CoveredArea();
  for (Coverage fit = FitToMemory(covered, CanHold); fit.step >= 0;
       fit = FitToMemory(covered, CanHold, fit.step + 1)) {
    if (MakeFrame(fit, covered) && (!snapshot || CopyScreen())) return true;
  }
  return false;
}

}  // namespace

bool SnapshotDesktop() { return CoverDesktop(true); }

bool FollowDesktopChange() {
  // The desktop is covered already: no snapshot is needed, and its bitmap
  // makes room for the new frame.
  ReleaseSnapshot();
  return CoverDesktop(false);
}

#include "app/desktop_layout.h"

#include <algorithm>

namespace {

int64_t Width(const SaverRect& r) { return int64_t{r.right} - r.left; }
int64_t Height(const SaverRect& r) { return int64_t{r.bottom} - r.top; }

bool Usable(const SaverRect& r) {
  return Width(r) > 0 && Height(r) > 0 && Width(r) <= kMaxDesktopSide &&
         Height(r) <= kMaxDesktopSide;
}

SaverRect BoundingRect(const SaverRect& a, const SaverRect& b) {
  return SaverRect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                   std::max(a.bottom, b.bottom)};
}

// Fits in 32 bits: the desktop's sides are at most kMaxDesktopSide.
SaverRect InFrame(const SaverRect& monitor, const SaverRect& desktop) {
  return SaverRect{monitor.left - desktop.left, monitor.top - desktop.top,
                   monitor.right - desktop.left, monitor.bottom - desktop.top};
}

}  // namespace

DesktopLayout LayOutDesktop(const SaverRect* monitors, int32_t count, int32_t primary) {
  DesktopLayout layout{};
  if (monitors == nullptr || count <= 0) return layout;
  count = std::min(count, kMaxMonitors);

  SaverRect usable[kMaxMonitors];
  int32_t usableCount = 0;
  int32_t primaryAt = 0;  // among the usable ones
  for (int32_t i = 0; i < count; ++i) {
    if (!Usable(monitors[i])) continue;
    if (i == primary) primaryAt = usableCount;
    usable[usableCount++] = monitors[i];
  }
  if (usableCount == 0) return layout;

  SaverRect desktop = usable[0];
  for (int32_t i = 1; i < usableCount; ++i) desktop = BoundingRect(desktop, usable[i]);
  if (!Usable(desktop)) {
    // Too large for one FrameBuffer: the primary monitor alone is covered.
    usable[0] = usable[primaryAt];
    usableCount = 1;
    primaryAt = 0;
    desktop = usable[0];
  }

  layout.desktop = desktop;
  layout.monitorCount = usableCount;
  for (int32_t i = 0; i < usableCount; ++i) layout.monitors[i] = InFrame(usable[i], desktop);
  layout.previewWidth = static_cast<int32_t>(Width(usable[primaryAt]));
  layout.previewHeight = static_cast<int32_t>(Height(usable[primaryAt]));
  return layout;
}

DesktopLayout SingleMonitorLayout(int32_t width, int32_t height) {
  const SaverRect monitor{0, 0, width, height};
  return LayOutDesktop(&monitor, 1, 0);
}

namespace {

uint64_t FrameBytes(const SaverRect& r) {
  return 4 * static_cast<uint64_t>(Width(r)) * static_cast<uint64_t>(Height(r));
}

bool Fits(const DesktopLayout& layout, bool backdrop, uint64_t screenBytes,
          bool (*canHold)(const uint64_t* sizes, int32_t count)) {
  const uint64_t frame = FrameBytes(layout.desktop);
  const uint64_t withBackdrop[] = {frame, frame, frame, screenBytes};
  const uint64_t plain[] = {frame, frame, screenBytes};
  return backdrop ? canHold(withBackdrop, 4) : canHold(plain, 3);
}

}  // namespace

Coverage FitToMemory(const DesktopLayout& layout,
                     bool (*canHold)(const uint64_t* sizes, int32_t count)) {
  const uint64_t screen = FrameBytes(layout.desktop);
  if (Fits(layout, true, screen, canHold)) return {layout, false};
  if (Fits(layout, false, screen, canHold)) return {layout, true};
  // The primary monitor always starts at the origin.
  int32_t width = layout.previewWidth, height = layout.previewHeight;
  DesktopLayout smaller = SingleMonitorLayout(width, height);
  if (Fits(smaller, true, screen, canHold)) return {smaller, false};
  while (!Fits(smaller, false, screen, canHold) && (width > 1 || height > 1)) {
    width = std::max(width / 2, 1);
    height = std::max(height / 2, 1);
    smaller = SingleMonitorLayout(width, height);
  }
  return {smaller, true};
}

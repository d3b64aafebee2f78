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

// Frame coordinates stay within 32 bits as long as the desktop's sides do,
// which LayOutDesktop checks.
SaverRect InFrame(const SaverRect& monitor, const SaverRect& desktop) {
  return SaverRect{monitor.left - desktop.left, monitor.top - desktop.top,
                   monitor.right - desktop.left, monitor.bottom - desktop.top};
}

}  // namespace

DesktopLayout LayOutDesktop(const SaverRect* monitors, int32_t count, int32_t primary) {
  DesktopLayout layout{};
  if (monitors == nullptr || count <= 0) return layout;

  int32_t primaryAt = -1, firstUsable = -1;
  SaverRect desktop{};
  for (int32_t i = 0; i < count; ++i) {
    if (!Usable(monitors[i])) continue;
    desktop = firstUsable < 0 ? monitors[i] : BoundingRect(desktop, monitors[i]);
    if (firstUsable < 0) firstUsable = i;
    if (i == primary) primaryAt = i;
  }
  if (firstUsable < 0) return layout;
  if (primaryAt < 0) primaryAt = firstUsable;
  // Two monitors at the far ends of the 32-bit coordinates: no frame spans
  // them, so the primary monitor alone is covered.
  if (Width(desktop) > INT32_MAX || Height(desktop) > INT32_MAX) desktop = monitors[primaryAt];

  layout.desktop = desktop;
  bool primaryListed = false;
  for (int32_t i = 0; i < count && layout.monitorCount < kMaxLogos; ++i) {
    const SaverRect& m = monitors[i];
    if (!Usable(m) || m.left < desktop.left || m.top < desktop.top || m.right > desktop.right ||
        m.bottom > desktop.bottom) {
      continue;
    }
    primaryListed = primaryListed || i == primaryAt;
    layout.monitors[layout.monitorCount++] = InFrame(m, desktop);
  }
  // The primary monitor always shows a logo, in the last place if need be.
  if (!primaryListed) {
    layout.monitors[layout.monitorCount - 1] = InFrame(monitors[primaryAt], desktop);
  }
  layout.previewWidth = static_cast<int32_t>(Width(monitors[primaryAt]));
  layout.previewHeight = static_cast<int32_t>(Height(monitors[primaryAt]));
  return layout;
}

DesktopLayout SingleMonitorLayout(int32_t width, int32_t height) {
  const SaverRect monitor{0, 0, width, height};
  return LayOutDesktop(&monitor, 1, 0);
}

namespace {

// Rounded up, so that the shrunk frame still reaches every pixel's image.
int32_t Shrunk(int64_t length, int64_t factor) {
  return static_cast<int32_t>(std::max<int64_t>((length + factor - 1) / factor, 1));
}

}  // namespace

DesktopLayout ShrinkLayout(const DesktopLayout& layout, int64_t factor) {
  if (factor <= 1) return layout;
  DesktopLayout shrunk = layout;
  const SaverRect& d = layout.desktop;
  shrunk.desktop = SaverRect{d.left, d.top, d.left + Shrunk(Width(d), factor),
                             d.top + Shrunk(Height(d), factor)};
  for (int32_t i = 0; i < layout.monitorCount; ++i) {
    const SaverRect& m = layout.monitors[i];
    const auto left = static_cast<int32_t>(m.left / factor);
    const auto top = static_cast<int32_t>(m.top / factor);
    shrunk.monitors[i] = SaverRect{left, top, left + Shrunk(Width(m), factor),
                                   top + Shrunk(Height(m), factor)};
  }
  return shrunk;
}

namespace {

uint64_t FrameBytes(const SaverRect& r) {
  return 4 * static_cast<uint64_t>(Width(r)) * static_cast<uint64_t>(Height(r));
}

bool Fits(const DesktopLayout& layout, bool backdrop, uint64_t screenBytes,
          bool (*canHold)(const uint64_t* sizes, int32_t count)) {
  if (Width(layout.desktop) > kMaxDesktopSide || Height(layout.desktop) > kMaxDesktopSide) {
    return false;
  }
  const uint64_t frame = FrameBytes(layout.desktop);
  const uint64_t withBackdrop[] = {frame, frame, frame, screenBytes};
  const uint64_t plain[] = {frame, frame, screenBytes};
  return backdrop ? canHold(withBackdrop, 4) : canHold(plain, 3);
}

}  // namespace

Coverage FitToMemory(const DesktopLayout& layout,
                     bool (*canHold)(const uint64_t* sizes, int32_t count), int32_t firstStep) {
  const uint64_t screen = FrameBytes(layout.desktop);
  for (int32_t step = 0;; ++step) {
    const int64_t factor = int64_t{1} << (step / 2);
    const DesktopLayout shrunk = ShrinkLayout(layout, factor);
    const bool last = Width(shrunk.desktop) <= 1 && Height(shrunk.desktop) <= 1;
    const bool backdrop = step % 2 == 0;
    if (step >= firstStep && (Fits(shrunk, backdrop, screen, canHold) || (last && !backdrop))) {
      return Coverage{shrunk, !backdrop, step};
    }
    if (last && !backdrop) return Coverage{layout, true, -1};
  }
}

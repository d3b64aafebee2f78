// Where the saver draws on a desktop of one or more monitors: the frame covers
// the bounding rectangle of all monitors, and each monitor shows the logo at
// its own top-left corner, clipped to it. Portable: the platform half lists
// the monitors' rectangles.
#pragma once

#include <cstdint>

#include "app/saver_rect.h"

// Monitors beyond this many are not read.
constexpr int32_t kMaxMonitors = 16;
// The largest side the screen mode accepts for the FrameBuffer.
constexpr int32_t kMaxDesktopSide = 65535;

struct DesktopLayout {
  // The virtual desktop in screen coordinates; the frame's pixel (0, 0) is
  // its top-left corner, and the frame is as large as it.
  SaverRect desktop;
  // Each usable monitor's rectangle in frame coordinates, in the order given:
  // its logo's top-left corner, and the area the logo is clipped to.
  int32_t monitorCount;
  SaverRect monitors[kMaxMonitors];
  // The primary monitor's size: the size of a preview's frame.
  int32_t previewWidth;
  int32_t previewHeight;
};

// Lays out the first `count` (at most kMaxMonitors) rectangles, in screen
// coordinates; `primary` is the index of the primary monitor among them.
// - A rectangle with no area, or with a side above kMaxDesktopSide, is left
//   out.
// - A primary index that is out of range or names a rectangle left out
//   makes the first usable rectangle the primary one.
// - When the bounding rectangle has a side above kMaxDesktopSide, the layout
//   is the primary monitor alone.
// - With no usable rectangle (or null, or a count of 0 or below) the layout
//   is all zero: no monitor, an empty desktop and preview.
DesktopLayout LayOutDesktop(const SaverRect* monitors, int32_t count, int32_t primary);

// One monitor of width × height at the origin: what a preview shows, and
// what the saver falls back to when the system lists no usable monitor.
// All zero, like LayOutDesktop, for a size that is not usable.
DesktopLayout SingleMonitorLayout(int32_t width, int32_t height);

// How the saver covers the desktop with the memory it can have: the frame,
// backdrop and snapshot bitmap (the frame's size) and the window's surface
// (the screen's) at once. Without room for the backdrop: the blue field alone,
// over every monitor. Without room for that: the primary monitor's frame,
// halved each way until it fits, stretched over every monitor.
struct Coverage {
  DesktopLayout layout;
  bool plainField;  // no backdrop image: the blue field, no logo
};

// `canHold(sizes, count)`: whether `count` blocks of the given sizes can be
// had at once. Where nothing fits, a plain field of one pixel is the last
// thing left to try.
Coverage FitToMemory(const DesktopLayout& layout,
                     bool (*canHold)(const uint64_t* sizes, int32_t count));

// Where the saver draws on a desktop of one or more monitors: the frame covers
// the bounding rectangle of all monitors, and each monitor shows the logo at
// its own top-left corner, clipped to it. Portable: the platform half lists
// the monitors' rectangles.
#pragma once

#include <cstdint>

#include "app/saver_rect.h"

// Logos beyond this many are not drawn; the monitors without one are still
// covered by the blue field and the snow.
constexpr int32_t kMaxLogos = 16;
// The largest side the screen mode accepts for the FrameBuffer.
constexpr int32_t kMaxDesktopSide = 65535;

struct DesktopLayout {
  // The virtual desktop in screen coordinates; the frame's pixel (0, 0) is
  // its top-left corner. The frame is as large as it unless memory made the
  // layout smaller (FitToMemory), when it is shrunk by one factor each way.
  SaverRect desktop;
  // The rectangles, in frame coordinates, of the monitors that show a logo:
  // its top-left corner, and the area the logo is clipped to.
  int32_t monitorCount;
  SaverRect monitors[kMaxLogos];
  // The primary monitor's size: the size of a preview's frame.
  int32_t previewWidth;
  int32_t previewHeight;
};

// Lays out `count` rectangles in screen coordinates, however many;
// `primary` is the index of the primary monitor among them.
// - The desktop is the bounding rectangle of every usable rectangle; one
//   with no area, or with a side above kMaxDesktopSide, is left out.
// - A primary index that is out of range or names a rectangle left out
//   makes the first usable rectangle the primary one.
// - The logos go to the first kMaxLogos usable rectangles in the order
//   given; the primary monitor always has one, in the last place where it
//   comes later.
// - With no usable rectangle (or null, or a count of 0 or below) the layout
//   is all zero: no monitor, an empty desktop and preview.
DesktopLayout LayOutDesktop(const SaverRect* monitors, int32_t count, int32_t primary);

// One monitor of width × height at the origin: what a preview shows, and
// what the saver falls back to when the system lists no usable monitor.
// All zero, like LayOutDesktop, for a size that is not usable.
DesktopLayout SingleMonitorLayout(int32_t width, int32_t height);

// The layout with every monitor, and the desktop, shrunk by `factor` each
// way: each monitor keeps its place, its shape and its logo. A side never
// shrinks below one pixel. The desktop keeps its top-left corner.
DesktopLayout ShrinkLayout(const DesktopLayout& layout, int64_t factor);

// How the saver covers the desktop with the memory it can have: the frame,
// backdrop and snapshot bitmap (the frame's size) and the window's surface
// (the screen's) at once. The steps, best first: the whole layout with the
// backdrop, then the blue field alone (no backdrop image), then both again
// with the layout shrunk by 2, 4, 8 … until its frame is one pixel.
struct Coverage {
  DesktopLayout layout;
  bool plainField;  // no backdrop image: the blue field, no logo
  int32_t step;     // this coverage's place among the steps; -1: none is left
};

// `canHold(sizes, count)`: whether `count` blocks of the given sizes can be
// had at once. The first step from `firstStep` on whose frame has no side
// above kMaxDesktopSide and that canHold allows; the last step (a plain
// field of one pixel) where none is allowed; step -1 past the last step.
// A caller whose allocation fails at one step goes on from the next.
Coverage FitToMemory(const DesktopLayout& layout,
                     bool (*canHold)(const uint64_t* sizes, int32_t count),
                     int32_t firstStep = 0);

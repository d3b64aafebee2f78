// The snowfall: 10001 white particles that fall and drift over a blue
// backdrop with the logo, drawn frame after frame into the FrameBuffer by the
// main thread until the quit flag is raised.
#pragma once

#include <cstdint>

#include "app/backdrop.h"
#include "app/frame_chooser.h"
#include "app/particles.h"
#include "app/point_list.h"
#include "raster/image_header.h"
#include "runtime/strings.h"

// How many frame pixels a snowfall can follow from frame to frame: the last
// frame's particles and the pixels still moving toward the backdrop. When
// more are moving, frames put the whole backdrop until few enough are.
constexpr int32_t kTrackedPixels = 16 * kParticleCount;

// Everything the animation keeps between frames. The particles are described
// by an ArrayDescriptor whose bounds drive both particle loops.
struct Snowfall {
  Particle storage[kParticleCount];
  ArrayDescriptor<1> particles;
  ImageBuffer* backdrop = nullptr;  // null: the plain field
  LogoAreas logoAreas;
  ImageBuffer* logo = nullptr;  // what the backdrop is composed with
  // Lays the desktop out anew when the monitors change (SaverState's layout,
  // sizes and FrameBuffer), false where it cannot be covered; null where
  // nothing follows such changes.
  bool (*layOutAgain)() = nullptr;

  // After its first frame only a few pixels differ from what one more put of
  // the backdrop would leave; a frame puts the backdrop at those alone.
  PointList points;
  bool wholePutDue = true;  // nothing is known about the frame's pixels
};

// Describes the storage, places every particle from the runtime's random
// numbers (eight draws each, in index order) and composes the backdrop once:
// the desktop-sized blue field with the logo (may be null) blended on top.
// trackedPixels bounds the frame pixels followed between frames (memory is
// taken for them here, once).
void SnowfallSetup(Snowfall& snowfall, ImageBuffer* logo,
                   int32_t trackedPixels = kTrackedPixels);

// One frame without the sleep: the backdrop blended onto the FrameBuffer,
// then every particle stepped in index order. The FrameBuffer ends as the
// whole put would leave it, but after the first frame the backdrop is put
// only where that changes pixels. Allocates nothing.
void SnowfallFrame(Snowfall& snowfall);

// The same frame with the whole backdrop put; the next SnowfallFrame puts
// the whole backdrop again.
void SnowfallWholeFrame(Snowfall& snowfall);

// Follows a change of the monitors between two frames: the backdrop freed,
// the desktop laid out anew (layOutAgain), the particles spread over the new
// size and the backdrop composed for it; the next frame puts it whole. False
// where the new desktop cannot be covered.
bool SnowfallFollowDesktop(Snowfall& snowfall);

// Frames with a 1 ms sleep each until the quit flag is 1. The flag is read
// once per frame, before the frame, so a frame under way always finishes.
// Each frame is of the kind the FrameChooser picks. A change of the monitors
// that the window thread asks to follow is followed before the next frame;
// where the new desktop cannot be covered, the quit flag is raised.
void SnowfallRun(Snowfall& snowfall);

// The main thread's animation: set-up, then frames until the quit flag is 1.
// The particles live in this call's frame (the main thread reserves a stack
// large enough for them). `layOutAgain` as in Snowfall.
void RunSnowfall(ImageBuffer* logo, bool (*layOutAgain)() = nullptr);

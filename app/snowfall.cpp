#include "app/snowfall.h"

#include <cstdlib>

#include "app/saver_state.h"
#include "raster/raster.h"
#include "runtime/runtime.h"

namespace {

void DescribeParticles(Snowfall& snowfall) {
  ArrayDescriptor<1>& d = snowfall.particles;
  d.data = snowfall.storage;
  d.first = snowfall.storage;
  d.totalSize = static_cast<int32_t>(sizeof snowfall.storage);
  d.elementSize = static_cast<int32_t>(sizeof(Particle));
  d.dimensionCount = 1;
  d.dimension[0] = ArrayDimension{kParticleCount, 0, kParticleCount - 1};
}

// The backdrop put at the listed pixels; every other pixel is already where
// one more put leaves it. The snow is put only over the particle colour, so
// a pixel set by several particles is blended once. False where the put
// failed: then nothing is known about the frame.
bool PutBackdropAtListedPixels(Snowfall& snowfall) {
  PointList& points = snowfall.points;
  uint32_t* const moving = points.Moving();
  // The plain field has no logo: all snow is plain snow.
  const bool composed = snowfall.backdrop != nullptr;
  const int32_t stillMoving =
      composed ? AlphaPutPoints(nullptr, snowfall.backdrop, moving, points.MovingCount(), moving)
               : 0;
  const int32_t snowStillMoving =
      !composed          ? 0
      : stillMoving < 0 ? -1
                        : AlphaPutPointsOver(nullptr, snowfall.backdrop, kParticleColour,
                                             points.LogoSnow(), points.LogoSnowCount(),
                                             moving + stillMoving);
  // Outside the logo areas the backdrop is one colour and only particles
  // write there, so a listed pixel holds the particle colour or already the
  // result: the put reads none of them, and no cache miss holds up another.
  const int32_t plainStillMoving =
      snowStillMoving < 0
          ? -1
          : AlphaPutColourPointsKnownOver(nullptr, kBackdropColour, kParticleColour,
                                          points.PlainSnow(), points.PlainSnowCount());
  if (stillMoving < 0 || snowStillMoving < 0 || plainStillMoving < 0) return false;
  points.KeepMoving(stillMoving + snowStillMoving + plainStillMoving);
  return true;
}

// The backdrop put whole, and the pixels that one more put would still
// change listed as moving.
bool PutWholeBackdropListing(Snowfall& snowfall) {
  PutWholeBackdrop(snowfall.backdrop);
  PointList& points = snowfall.points;
  points.KeepMoving(0);
  if (!points.HasMemory()) return false;
  const int32_t moving =
      snowfall.backdrop ? AlphaPutChangingPoints(nullptr, snowfall.backdrop, points.Moving(),
                                                 points.Capacity() - kParticleCount)
                        : 0;
  if (moving < 0) return false;
  points.KeepMoving(moving);
  return true;
}

// At the listed pixels where they are known, else whole. wholePutDue then
// says that the next frame puts the whole backdrop, so nothing need be listed.
void PutBackdrop(Snowfall& snowfall) {
  if (!snowfall.wholePutDue) {
    // The next frame's particles must fit behind the moving pixels.
    snowfall.wholePutDue = !PutBackdropAtListedPixels(snowfall) ||
                           !snowfall.points.HasRoomFor(kParticleCount);
    return;
  }
  snowfall.wholePutDue = !PutWholeBackdropListing(snowfall);
}

}  // namespace

void SnowfallSetup(Snowfall& snowfall, ImageBuffer* logo, int32_t trackedPixels) {
  DescribeParticles(snowfall);
  const ArrayDescriptor<1>& particles = snowfall.particles;
  const double width = static_cast<double>(saverState.width);
  const double height = static_cast<double>(saverState.height);
  for (int32_t i = LowerBound(particles, 0); i <= UpperBound(particles, 0); ++i) {
    double draws[kDrawsPerParticle];
    for (double& draw : draws) draw = Rnd(1.0f);
    PlaceParticle(snowfall.storage[i], draws, width, height);
  }
  snowfall.logo = logo;
  snowfall.backdrop = ComposeBackdrop(snowfall.logoAreas, logo);
  // Without room for a frame's particles, every frame puts the whole backdrop.
  snowfall.points.Reserve(trackedPixels > kParticleCount ? trackedPixels : 0);
  snowfall.wholePutDue = true;
}

void SnowfallWholeFrame(Snowfall& snowfall) {
  PutWholeBackdrop(snowfall.backdrop);
  snowfall.wholePutDue = true;
  StepParticles(snowfall.storage, snowfall.particles, snowfall.logoAreas, snowfall.points, false);
}

void SnowfallFrame(Snowfall& snowfall) {
  PutBackdrop(snowfall);
  StepParticles(snowfall.storage, snowfall.particles, snowfall.logoAreas, snowfall.points,
                !snowfall.wholePutDue);
}

bool SnowfallFollowDesktop(Snowfall& snowfall) {
  const double oldWidth = saverState.width, oldHeight = saverState.height;
  // Freed first: the new frame may need the room.
  std::free(snowfall.backdrop);
  snowfall.backdrop = nullptr;
  snowfall.logoAreas.rows.reset();
  if (!snowfall.layOutAgain || !snowfall.layOutAgain()) return false;
  // Spread over the new size, the snow covers every part of it at once, and
  // no random numbers are drawn.
  if (oldWidth > 0.0 && oldHeight > 0.0) {
    ScaleParticles(snowfall.storage, snowfall.particles, saverState.width / oldWidth,
                   saverState.height / oldHeight);
  }
  snowfall.backdrop = ComposeBackdrop(snowfall.logoAreas, snowfall.logo);
  // The whole put lists the moving pixels of the new frame afresh.
  snowfall.wholePutDue = true;
  return true;
}

void SnowfallRun(Snowfall& snowfall) {
  FrameChooser chooser;
  double frameSeconds = 0.0;
  while (SaverQuitRaised() != 1) {
    if (SaverDesktopChange() == kDesktopChangeAsked) {
      if (!SnowfallFollowDesktop(snowfall)) {
        SaverRaiseQuit();
        break;
      }
      SaverSetDesktopChange(kDesktopChangeMade);
    }
    const double start = RuntimeTimer();
    if (ChooseListedFrame(chooser, frameSeconds)) {
      SnowfallFrame(snowfall);
    } else {
      SnowfallWholeFrame(snowfall);
    }
    frameSeconds = RuntimeTimer() - start;
    RuntimeSleep(1);
  }
}

void RunSnowfall(ImageBuffer* logo, bool (*layOutAgain)()) {
  Snowfall snowfall;
  snowfall.layOutAgain = layOutAgain;
  SnowfallSetup(snowfall, logo);
  SnowfallRun(snowfall);
}

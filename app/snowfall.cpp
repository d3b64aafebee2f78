#include "app/snowfall.h"

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

// The backdrop put of a frame at the listed pixels. Every frame pixel
// outside the lists is known to be where one more put leaves it. A pixel a
// particle set holds the particle colour unless the moving pixels' put has
// already blended it: the put over that colour blends each such pixel
// exactly once, however many particles set it. False where the backdrop
// could not be put: then nothing is known about the frame.
bool PutBackdropAtListedPixels(Snowfall& snowfall) {
  PointList& points = snowfall.points;
  uint32_t* const moving = points.Moving();
  // The plain field has no logo: every pixel is plain blue after one put,
  // and all snow is plain snow.
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
  // Outside the logo areas the backdrop is one colour, and nothing but the
  // particles writes there after the first put, so a listed pixel still
  // holds the particle colour, or already the put's result where it was
  // listed twice: the put needs to read none of them, and a miss on one
  // holds up none of the others. Each list is compacted into the space
  // before its own start; the plain snow's adds no still-changing points.
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

// The backdrop put of a frame: at the listed pixels where they are known,
// else whole. Afterwards wholePutDue says whether the particles' pixels
// need not be listed, for the next frame puts the whole backdrop anyway.
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
  snowfall.backdrop = ComposeBackdrop(snowfall.logoAreas, logo);
  // Room for at least one frame's particles besides the moving pixels, or
  // none at all: then every frame puts the whole backdrop.
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

void SnowfallRun(Snowfall& snowfall) {
  FrameChooser chooser;
  double frameSeconds = 0.0;
  while (SaverQuitRaised() != 1) {
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

void RunSnowfall(ImageBuffer* logo) {
  Snowfall snowfall;
  SnowfallSetup(snowfall, logo);
  SnowfallRun(snowfall);
}

// The snowfall's particles: white pixels that fall and drift over the
// desktop, placed once from random draws and stepped once a frame.
#pragma once

#include <cstdint>

#include "app/backdrop.h"
#include "app/point_list.h"
#include "runtime/strings.h"

struct Particle {
  double x = 0.0;    // pixels from the left edge
  double y = 0.0;    // pixels from the top edge
  double dx = 0.0;   // horizontal step per frame, negative is leftwards
  double dy = 0.0;   // vertical step per frame, positive is downwards
  int32_t extra = 0; // never read
};
static_assert(sizeof(Particle) == 40, "a particle is four doubles and a 32-bit word, padded");

constexpr int32_t kParticleCount = 10001;

constexpr uint32_t kParticleColour = 0xFFFFFFFFu;  // opaque white

constexpr int32_t kDrawsPerParticle = 8;

// Places a particle from its eight random draws r1..r8 on a desktop of the
// given size: x = r1 × width, y = r2 × height, dx = r3 × r4 × 2 − r5 and
// dy = r6 × r7 × 2 − r8 (each product rounded to double before the sum);
// a dx of exactly 0 becomes 1 and a dy below 0.5 becomes 0.5.
void PlaceParticle(Particle& particle, const double (&draws)[kDrawsPerParticle], double width,
                   double height);

// Moves the particle by its step, wraps it to 0 past the right or bottom edge
// of the desktop (SaverState's width and height) and sets its pixel in the
// FrameBuffer to opaque white.
void StepParticle(Particle& particle);

// Spreads the particles that `particles` bounds over a desktop that changed
// size: each position is scaled by the new size over the old, each step kept.
void ScaleParticles(Particle* storage, const ArrayDescriptor<1>& particles, double xScale,
                    double yScale);

// Steps the particles of `storage` that `particles` bounds, in index order,
// and starts `points`' snow lists again. With `follow`, the pixel each one
// set is listed there, in the logo snow where `logoAreas` hold it, else in
// the plain snow; `points` must have room for them all. The pixel listed is
// the one PixelSet reports it set, so each listed pixel holds the particle
// colour.
void StepParticles(Particle* storage, const ArrayDescriptor<1>& particles,
                   const LogoAreas& logoAreas, PointList& points, bool follow);

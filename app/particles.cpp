#include "app/particles.h"

#include "app/saver_state.h"
#include "raster/draw_steps.h"  // PixelSetOnScreen, inline in the particle loop
#include "runtime/runtime.h"

namespace {

// The floating-point unit keeps intermediate results in extended precision and
// rounds to double where a value is stored; the long double intermediates
// reproduce that on every build, so the particle field is the same everywhere.
double StoredProduct(double a, double b) {
  return static_cast<double>(static_cast<long double>(a) * b);
}

// (first × second × 2.0) + third × (−1.0), the product rounded to double
// before the sum.
double ParticleStep(double first, double second, double third) {
  double product = static_cast<double>(static_cast<long double>(first) * second * 2.0L);
  return static_cast<double>(static_cast<long double>(product) + third * -1.0L);
}

// Where a particle's next pixel lies in the FrameBuffer, closely enough to
// fetch it ahead: its position one step on, wrapping ignored.
struct FrameRows {
  uint8_t* pixels;  // null: nothing is fetched
  uint32_t width, height;
  double widthLimit, heightLimit;  // the same, for the comparisons
};

// Particles are stepped a batch at a time, their pixels fetched first in a
// short loop of their own, so the batch's cache and page-translation misses
// overlap; inside the step loop each prefetch waited in turn.
constexpr int32_t kFetchBatch = 32;  // particles

// The address of that pixel, or null when it falls outside. Only a guess
// to fetch ahead.
const uint8_t* NextPixelAddress(const FrameRows& frame, const Particle& particle) {
  const double x = particle.x + particle.dx + 0.5;
  const double y = particle.y + particle.dy + 0.5;
  if (!(x >= 0.0 && y >= 0.0 && x < frame.widthLimit && y < frame.heightLimit)) return nullptr;
  const int32_t column = static_cast<int32_t>(x), row = static_cast<int32_t>(y);
  // Both lie in [0, 65536): the desktop's sides are at most kMaxDesktopSide.
  return frame.pixels +
         4 * (static_cast<size_t>(row) * frame.width + static_cast<size_t>(column));
}

// By value: taken by reference, GCC -O3 merged the two conversions into
// one that loads both coordinates just after their separate stores, and
// the stores could not be forwarded to it.
inline float ToFloat(double coordinate) { return static_cast<float>(coordinate); }

// StepParticle, with what PixelSetOnScreen reports of the pixel it set.
// `width` and `height`: the desktop's, as doubles (the loop converts them
// once, not once a particle).
inline int32_t StepParticleReporting(Particle& particle, double width, double height,
                                     uint32_t* point) {
  particle.x = static_cast<double>(static_cast<long double>(particle.x) + particle.dx);
  particle.y = static_cast<double>(static_cast<long double>(particle.y) + particle.dy);
  // Strictly greater: a particle exactly on the edge stays. There is no wrap
  // at the left edge; a particle that leaves there is not drawn again.
  if (particle.x > width) particle.x = 0.0;
  if (particle.y > height) particle.y = 0.0;
  return PixelSetOnScreen(nullptr, ToFloat(particle.x), ToFloat(particle.y), kParticleColour,
                          kAbsolutePoint, 0, point);
}

}  // namespace

void PlaceParticle(Particle& particle, const double (&r)[kDrawsPerParticle], double width,
                   double height) {
  particle.x = StoredProduct(r[0], width);
  particle.y = StoredProduct(r[1], height);
  particle.dx = ParticleStep(r[2], r[3], r[4]);
  particle.dy = ParticleStep(r[5], r[6], r[7]);
  if (particle.dx == 0.0) particle.dx = 1.0;
  if (particle.dy < 0.5) particle.dy = 0.5;
}

void StepParticle(Particle& particle) {
  uint32_t point;
  StepParticleReporting(particle, static_cast<double>(saverState.width),
                        static_cast<double>(saverState.height), &point);
}

void StepParticles(Particle* storage, const ArrayDescriptor<1>& particles,
                   const LogoAreas& logoAreas, PointList& points, bool follow) {
  PointList::SnowWriter snow = points.StartSnow();
  const int32_t first = LowerBound(particles, 0);
  const int32_t last = UpperBound(particles, 0);
  if (last < first) return;
  const uint32_t width = saverState.width, height = saverState.height;
  const FrameRows frame{static_cast<uint8_t*>(ScreenPointer()), width, height,
                        static_cast<double>(width), static_cast<double>(height)};
  // Walked by pointers: with indices, the i686 build kept counters on the stack.
  Particle* const end = storage + last + 1;
  for (Particle* batch = storage + first; batch < end; batch += kFetchBatch) {
    Particle* const batchEnd = end - batch > kFetchBatch ? batch + kFetchBatch : end;
    // (The prefetch stays in this loop: GCC drops a function that does
    // nothing but prefetch, and every call to it.)
    if (frame.pixels) {
      for (const Particle* particle = batch; particle < batchEnd; ++particle) {
        const uint8_t* ahead = NextPixelAddress(frame, *particle);
        if (ahead) __builtin_prefetch(ahead, 1);
      }
    }
    for (Particle* particle = batch; particle < batchEnd; ++particle) {
      uint32_t point = 0;  // set with kPixelSetOnScreen
      const int32_t set =
          StepParticleReporting(*particle, frame.widthLimit, frame.heightLimit, &point);
      if (!follow || set == kPixelSetNone) continue;
      if (set == kPixelSetElsewhere) {
        // Worked out as PixelSet does it (the desktop's view has no offset).
        uint32_t x, y;
        if (!RoundsInto(static_cast<float>(particle->x), static_cast<int32_t>(width), &x) ||
            !RoundsInto(static_cast<float>(particle->y), static_cast<int32_t>(height), &y)) {
          continue;
        }
        point = PackPoint(static_cast<int32_t>(x), static_cast<int32_t>(y));
      }
      snow.Add(point, logoAreas.Hold(point & 0xFFFF, point >> 16));
    }
  }
  points.EndSnow(snow);
}

void ScaleParticles(Particle* storage, const ArrayDescriptor<1>& particles, double xScale,
                    double yScale) {
  for (int32_t i = LowerBound(particles, 0); i <= UpperBound(particles, 0); ++i) {
    storage[i].x *= xScale;
    storage[i].y *= yScale;
  }
}

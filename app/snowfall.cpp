#include "app/snowfall.h"

#include <algorithm>
#include <cstring>

#include "app/saver_state.h"
#include "raster/raster.h"
#include "runtime/runtime.h"

namespace {

constexpr int32_t kAbsolutePoint = 4;
constexpr int32_t kFilledBox = 2;
constexpr int32_t kSolidStyle = 0xFFFF;
constexpr int32_t kNoColourGiven = static_cast<int32_t>(0x80000000u);

double DesktopWidth() { return static_cast<double>(saverState.width); }
double DesktopHeight() { return static_cast<double>(saverState.height); }

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

void DescribeParticles(Snowfall& snowfall) {
  ArrayDescriptor<1>& d = snowfall.particles;
  d.data = snowfall.storage;
  d.first = snowfall.storage;
  d.totalSize = static_cast<int32_t>(sizeof snowfall.storage);
  d.elementSize = static_cast<int32_t>(sizeof(Particle));
  d.dimensionCount = 1;
  d.dimension[0] = ArrayDimension{kParticleCount, 0, kParticleCount - 1};
}

void PutWholeImage(ImageBuffer* target, ImageBuffer* source) {
  PutImage(target, 0.0f, 0.0f, source, kCoordinateNotGiven, kCoordinateNotGiven,
           kCoordinateNotGiven, kCoordinateNotGiven, kAbsolutePoint, kPutModeAlpha, AlphaPut, -1,
           nullptr, 0);
}

// Blended by the backdrop's own alpha onto the previous frame, not copied;
// without a backdrop, the frame filled with the blue field.
void PutWholeBackdrop(const Snowfall& snowfall) {
  if (snowfall.backdrop) {
    PutWholeImage(nullptr, snowfall.backdrop);
  } else {
    DrawLine(nullptr, 0.0f, 0.0f, static_cast<float>(saverState.width),
             static_cast<float>(saverState.height), kBackdropColour, kFilledBox, kSolidStyle, 0);
  }
}

// The logo at the monitor's top-left corner, clipped to the monitor: every
// monitor looks like the desktop of a saver on that monitor alone, and no
// logo spills onto a neighbour. The source rectangle is clamped to the logo.
void PutLogoOnMonitor(ImageBuffer* backdrop, ImageBuffer* logo, const SaverRect& monitor) {
  PutImage(backdrop, static_cast<float>(monitor.left), static_cast<float>(monitor.top), logo, 0, 0,
           monitor.right - monitor.left - 1, monitor.bottom - monitor.top - 1, kAbsolutePoint,
           kPutModeAlpha, AlphaPut, -1, nullptr, 0);
}

// The area a logo put at (left, top) can cover, clipped to the desktop.
SaverRect LogoArea(const ImageHeader* logo, int32_t left, int32_t top) {
  const int64_t right = int64_t{left} + logo->width, bottom = int64_t{top} + logo->height;
  return {std::max(left, 0), std::max(top, 0),
          static_cast<int32_t>(std::min<int64_t>(right, saverState.width)),
          static_cast<int32_t>(std::min<int64_t>(bottom, saverState.height))};
}

// Widens a row's span to take in [left, right) as well; an empty one
// becomes that. Both lie on the desktop, from 0.
void WidenSpan(RowSpan& span, int32_t left, int32_t right) {
  const auto from = static_cast<uint32_t>(left), to = static_cast<uint32_t>(right);
  span = span.right > span.left ? RowSpan{std::min(span.left, from), std::max(span.right, to)}
                                 : RowSpan{from, to};
}

// The smallest rectangle inside `area` that holds every backdrop pixel
// other than kBackdropColour there; empty (right <= left) if none is. Most
// of a logo is fully transparent, which leaves the blue exactly as it was:
// the real one's visible part covers 42 % of it, and snow outside that
// part is put back without reading the backdrop or the frame. `rows`
// (null: not wanted) are the desktop's rows' spans; each row of the area
// with visible pixels widens its own to take them in.
SaverRect VisiblePart(const ImageBuffer* backdrop, SaverRect area, RowSpan* rows) {
  ImageInfo image;
  if (!ReadImageInfo(backdrop, 4, &image) || image.bytesPerPixel != 4) {
    // Nothing known of the backdrop: every row of the area whole.
    for (int32_t y = area.top; rows && y < area.bottom; ++y) {
      WidenSpan(rows[y], area.left, area.right);
    }
    return area;
  }
  area.right = std::min(area.right, image.width);
  area.bottom = std::min(area.bottom, image.height);
  // Empty until a pixel is found.
  SaverRect visible{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  for (int32_t y = area.top; y < area.bottom; ++y) {
    const uint8_t* row = image.pixels + static_cast<size_t>(y) * static_cast<size_t>(image.pitch);
    auto blue = [row](int32_t x) {
      uint32_t pixel;
      std::memcpy(&pixel, row + 4 * static_cast<size_t>(x), 4);
      return pixel == kBackdropColour;
    };
    int32_t first = area.left;
    while (first < area.right && blue(first)) ++first;
    if (first >= area.right) continue;
    int32_t last = area.right - 1;
    while (blue(last)) --last;
    if (rows) WidenSpan(rows[y], first, last + 1);
    visible.left = std::min(visible.left, first);
    visible.right = std::max(visible.right, last + 1);
    visible.top = std::min(visible.top, y);
    visible.bottom = y + 1;
  }
  return visible;
}

// x and y lie on the desktop, so they fit an int32_t. By the rows' spans,
// without branches on where the pixel lies: particles fall anywhere, and
// such a branch was mispredicted for every few.
bool InLogoArea(const Snowfall& snowfall, uint32_t x, uint32_t y) {
  if (const RowSpan* rows = snowfall.logoRows.get()) {
    const RowSpan& span = rows[std::min(y, snowfall.logoRowCount)];
    return x - span.left < span.right - span.left;
  }
  const int32_t column = static_cast<int32_t>(x), row = static_cast<int32_t>(y);
  for (int32_t i = 0; i < snowfall.logoAreaCount; ++i) {
    const SaverRect& area = snowfall.logoAreas[i];
    if (column >= area.left && column < area.right && row >= area.top && row < area.bottom) {
      return true;
    }
  }
  return false;
}

// The backdrop, and in `snowfall` the areas its logos may cover.
ImageBuffer* ComposeBackdrop(Snowfall& snowfall, ImageBuffer* logo) {
  float width = static_cast<float>(saverState.width);
  float height = static_cast<float>(saverState.height);
  snowfall.logoRows.reset();
  snowfall.logoRowCount = 0;
  snowfall.logoAreaCount = 0;
  ImageBuffer* backdrop =
      saverState.plainField ? nullptr
                            : ImageCreate(static_cast<int32_t>(saverState.width),
                                          static_cast<int32_t>(saverState.height), 0, 0,
                                          kNoColourGiven);
  // Without memory for it the saver shows the blue field alone: the frame
  // is filled with it, and snow is put back as plain snow everywhere.
  if (!backdrop) return nullptr;
  // The box's corners are inclusive: it reaches one pixel past the image and
  // is clamped to the whole of it. Parts of the desktop that no monitor
  // shows stay plain blue.
  DrawLine(backdrop, 0.0f, 0.0f, width, height, kBackdropColour, kFilledBox, kSolidStyle, 0);
  // A null logo is refused by the put and leaves the backdrop plain blue.
  const DesktopLayout& layout = saverState.layout;
  const auto* header = static_cast<const ImageHeader*>(logo);
  SaverRect areas[kMaxMonitors];
  int32_t areaCount = 0;
  if (layout.monitorCount == 0) {
    // A FrameBuffer sized without a layout is one monitor.
    PutWholeImage(backdrop, logo);
    if (logo) areas[areaCount++] = LogoArea(header, 0, 0);
  }
  for (int32_t i = 0; i < layout.monitorCount; ++i) {
    const SaverRect& monitor = layout.monitors[i];
    PutLogoOnMonitor(backdrop, logo, monitor);
    if (logo) areas[areaCount++] = LogoArea(header, monitor.left, monitor.top);
  }
  // Each logo is clipped to its monitor, so no logo reaches into another's
  // area and each area's visible part is its own logo's.
  // The rows' spans take 8 bytes a desktop row, once, and one more for
  // rows past it; without them the areas are used whole.
  const uint32_t rowCount = saverState.height;
  snowfall.logoRows.reset(
      static_cast<RowSpan*>(std::calloc(rowCount + size_t{1}, sizeof(RowSpan))));
  snowfall.logoRowCount = snowfall.logoRows ? rowCount : 0;
  for (int32_t i = 0; i < areaCount; ++i) {
    const SaverRect visible = VisiblePart(backdrop, areas[i], snowfall.logoRows.get());
    if (visible.right > visible.left) snowfall.logoAreas[snowfall.logoAreaCount++] = visible;
  }
  return backdrop;
}

// The backdrop put of a frame. Every frame pixel outside `points` is known to
// be where one more put leaves it, so the put is needed at the listed pixels
// alone. A pixel a particle set holds the particle colour unless the moving
// pixels' put has already blended it: the put over that colour blends each
// such pixel exactly once, however many particles set it.
void PutBackdrop(Snowfall& snowfall) {
  if (!snowfall.wholePutDue) {
    uint32_t* points = snowfall.points.get();
    // The plain field has no logo: every pixel is plain blue after one put,
    // and all snow is plain snow.
    const bool composed = snowfall.backdrop != nullptr;
    const int32_t moving =
        composed ? AlphaPutPoints(nullptr, snowfall.backdrop, points, snowfall.movingCount, points)
                 : 0;
    const int32_t movingSnow =
        !composed  ? 0
        : moving < 0 ? -1
                     : AlphaPutPointsOver(nullptr, snowfall.backdrop, kParticleColour,
                                          points + snowfall.movingCount, snowfall.snowCount,
                                          points + moving);
    // Outside the logo areas the backdrop is one colour, and nothing but
    // the particles writes there after the first put, so a listed pixel
    // still holds the particle colour, or already the put's result where it
    // was listed twice: the put needs to read none of them, and a miss on
    // one holds up none of the others. Each list is compacted into the space
    // before its own start; the plain snow's adds no still-changing points.
    const int32_t movingPlain =
        movingSnow < 0 ? -1
                       : AlphaPutColourPointsKnownOver(
                             nullptr, kBackdropColour, kParticleColour,
                             points + snowfall.pointCapacity - snowfall.plainSnowCount,
                             snowfall.plainSnowCount);
    if (moving >= 0 && movingSnow >= 0 && movingPlain >= 0) {
      snowfall.movingCount = moving + movingSnow + movingPlain;
      snowfall.snowCount = 0;
      snowfall.plainSnowCount = 0;
      // The next frame's particles must fit behind the moving pixels.
      snowfall.wholePutDue = snowfall.movingCount > snowfall.pointCapacity - kParticleCount;
      return;
    }
    // The backdrop could not be put: nothing is known about the frame.
    snowfall.wholePutDue = true;
    return;
  }
  PutWholeBackdrop(snowfall);
  snowfall.snowCount = 0;
  snowfall.plainSnowCount = 0;
  snowfall.movingCount = 0;
  if (!snowfall.points) return;
  const int32_t moving =
      snowfall.backdrop ? AlphaPutChangingPoints(nullptr, snowfall.backdrop, snowfall.points.get(),
                                                 snowfall.pointCapacity - kParticleCount)
                        : 0;
  snowfall.wholePutDue = moving < 0;
  if (moving >= 0) snowfall.movingCount = moving;
}

// Where a particle's next pixel lies in the FrameBuffer, closely enough to
// fetch it ahead: its position one step on, wrapping ignored.
struct FrameRows {
  uint8_t* pixels;  // null: nothing is fetched
  uint32_t width, height;
  double widthLimit, heightLimit;  // the same, for the comparisons
};

// Particles stepped a batch at a time, their pixels asked for first. A
// particle's step and pixel set take more instructions than the processor
// looks ahead over, so a prefetch inside the same loop waited for each
// pixel's page translation in turn; a batch's prefetches in a short loop of
// their own wait for them together. 32 measured best of 16 to 256.
constexpr int32_t kFetchBatch = 32;  // particles

// The address of that pixel, or null when it falls outside. Only a guess
// to fetch ahead.
const uint8_t* NextPixelAddress(const FrameRows& frame, const Particle& particle) {
  const double x = particle.x + particle.dx + 0.5;
  const double y = particle.y + particle.dy + 0.5;
  // Also false for NaN.
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

// Steps every particle in index order. With `follow`, the pixel each one
// set is listed (PackPoint): after the moving pixels if it lies in a logo
// area, else from the end of the points backwards. The pixel listed is the
// one PixelSet reports it set, so each listed pixel holds the particle
// colour.
void StepParticles(Snowfall& snowfall, bool follow) {
  const ArrayDescriptor<1>& particles = snowfall.particles;
  const int32_t first = LowerBound(particles, 0);
  const int32_t last = UpperBound(particles, 0);
  if (last < first) {
    snowfall.snowCount = 0;
    snowfall.plainSnowCount = 0;
    return;
  }
  // Each particle's pixel is a cache miss, and often a page-translation
  // miss, in a FrameBuffer larger than the caches; asked for a batch at a
  // time, the misses overlap.
  const uint32_t width = saverState.width, height = saverState.height;
  const FrameRows frame{static_cast<uint8_t*>(ScreenPointer()), width, height,
                        static_cast<double>(width), static_cast<double>(height)};
  // Walked by pointers: the i686 build has too few registers for the
  // indices, counts and bases, and kept the loop's own counters on the
  // stack.
  uint32_t* const snowBegin = snowfall.points.get() + snowfall.movingCount;
  uint32_t* const plainSnowEnd = snowfall.points.get() + snowfall.pointCapacity;
  uint32_t* snow = snowBegin;
  uint32_t* plainSnow = plainSnowEnd;
  Particle* const end = snowfall.storage + last + 1;
  for (Particle* batch = snowfall.storage + first; batch < end; batch += kFetchBatch) {
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
      // Written to both lists, kept in one: there is room between them for
      // every particle not yet listed, so neither write reaches the other's
      // points.
      const bool inLogo = InLogoArea(snowfall, point & 0xFFFF, point >> 16);
      snow[0] = point;
      plainSnow[-1] = point;
      snow += inLogo;
      plainSnow -= !inLogo;
    }
  }
  snowfall.snowCount = static_cast<int32_t>(snow - snowBegin);
  snowfall.plainSnowCount = static_cast<int32_t>(plainSnowEnd - plainSnow);
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
  StepParticleReporting(particle, DesktopWidth(), DesktopHeight(), &point);
}

void SnowfallSetup(Snowfall& snowfall, ImageBuffer* logo, int32_t trackedPixels) {
  DescribeParticles(snowfall);
  const ArrayDescriptor<1>& particles = snowfall.particles;
  for (int32_t i = LowerBound(particles, 0); i <= UpperBound(particles, 0); ++i) {
    double draws[kDrawsPerParticle];
    for (double& draw : draws) draw = Rnd(1.0f);
    PlaceParticle(snowfall.storage[i], draws, DesktopWidth(), DesktopHeight());
  }
  snowfall.backdrop = ComposeBackdrop(snowfall, logo);
  // Room for at least one frame's particles besides the moving pixels, or
  // none at all: then every frame puts the whole backdrop.
  const size_t room = trackedPixels > kParticleCount ? static_cast<size_t>(trackedPixels) : 0;
  snowfall.points.reset(room ? static_cast<uint32_t*>(std::malloc(room * sizeof(uint32_t)))
                             : nullptr);
  snowfall.pointCapacity = snowfall.points ? static_cast<int32_t>(room) : 0;
  snowfall.movingCount = 0;
  snowfall.snowCount = 0;
  snowfall.plainSnowCount = 0;
  snowfall.wholePutDue = true;
}

void SnowfallWholeFrame(Snowfall& snowfall) {
  PutWholeBackdrop(snowfall);
  snowfall.wholePutDue = true;
  StepParticles(snowfall, false);
}

void SnowfallFrame(Snowfall& snowfall) {
  PutBackdrop(snowfall);
  StepParticles(snowfall, !snowfall.wholePutDue);
}

bool ChooseListedFrame(FrameChooser& chooser, double previousSeconds) {
  constexpr int32_t kTrial = kTrialSettle + kTrialFrames;  // frames of one kind
  // The frame before this one, if it was a timed frame of a trial.
  const int32_t previous = (chooser.frame + kChoiceCycle - 1) % kChoiceCycle;
  if (previous < 2 * kTrial && previous % kTrial >= kTrialSettle) {
    chooser.seconds[previous / kTrial] += previousSeconds;
  }
  const int32_t frame = chooser.frame;
  chooser.frame = (frame + 1) % kChoiceCycle;
  if (frame == 0) chooser.seconds[0] = chooser.seconds[1] = 0.0;
  if (frame < kTrial) return false;
  if (frame < 2 * kTrial) return true;
  if (frame == 2 * kTrial) chooser.listed = chooser.seconds[1] <= chooser.seconds[0];
  return chooser.listed;
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

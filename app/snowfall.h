// The snowfall: 10001 white particles that fall and drift over a blue
// backdrop with the logo, drawn frame after frame into the FrameBuffer by the
// main thread until the quit flag is raised.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "app/desktop_layout.h"
#include "app/saver_rect.h"
#include "raster/image_header.h"
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

constexpr uint32_t kBackdropColour = 0xFF0000FFu;  // opaque blue
constexpr uint32_t kParticleColour = 0xFFFFFFFFu;  // opaque white

struct FreeBlock {
  void operator()(void* block) const { std::free(block); }
};

// How many frame pixels a snowfall can follow from frame to frame: the last
// frame's particles and the pixels still moving toward the backdrop. When
// more are moving, frames put the whole backdrop until few enough are.
constexpr int32_t kTrackedPixels = 16 * kParticleCount;

// Where a desktop row holds a logo's visible pixels: from its first to its
// last (right exclusive); {0, 0} where it holds none.
struct RowSpan {
  uint32_t left = 0, right = 0;
};

// Everything the animation keeps between frames. The particles are described
// by an ArrayDescriptor whose bounds drive both particle loops.
struct Snowfall {
  Particle storage[kParticleCount];
  ArrayDescriptor<1> particles;
  ImageBuffer* backdrop = nullptr;

  // After its first frame only a few pixels differ from what one more put of
  // the backdrop would leave; a frame puts the backdrop at those alone.
  // `points` (PackPoint) holds first the pixels still moving toward the
  // backdrop, then the ones the last frame's particles set inside a logo
  // area; the ones they set elsewhere fill it from its end, backwards.
  std::unique_ptr<uint32_t[], FreeBlock> points;
  int32_t pointCapacity = 0;
  int32_t movingCount = 0;
  int32_t snowCount = 0;       // inside a logo area
  int32_t plainSnowCount = 0;  // elsewhere
  bool wholePutDue = true;  // nothing is known about the frame's pixels

  // Where the backdrop may hold the logo, in frame pixels (right and bottom
  // exclusive): the smallest rectangle around each logo's visible part.
  // Elsewhere it is kBackdropColour, so a pixel there is put back without
  // reading it.
  SaverRect logoAreas[kMaxMonitors];
  int32_t logoAreaCount = 0;
  // The same, row by row: desktop row y's visible span is logoRows[y]
  // (where logos on monitors side by side share rows, the span from the
  // first one's to the last one's). Outside it the row's backdrop is
  // kBackdropColour as well; the real logo's letters leave more than half
  // of its area so. logoRows[logoRowCount] is empty, for rows past the
  // desktop. Null: the areas are used whole.
  std::unique_ptr<RowSpan[], FreeBlock> logoRows;
  uint32_t logoRowCount = 0;
};

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

// Frames with a 1 ms sleep each until the quit flag is 1. The flag is read
// once per frame, before the frame, so a frame under way always finishes.
// Which kind of frame costs less depends on the machine: the whole put
// streams the frame through the caches, the put at listed pixels pays a
// cache miss for each. Both leave the same pixels, so the frame loop times
// both kinds now and then and keeps the cheaper one until the next trial.
// A whole put of a large desktop costs several listed frames, so trials are
// short and rare: about every 10 s. The first waits until the pixels under
// the logo's soft edges have settled, which makes early listed frames dear.
constexpr int32_t kChoiceCycle = 8192;  // frames from one trial to the next
constexpr int32_t kTrialSettle = 2;     // untimed frames after a change of kind
constexpr int32_t kTrialFrames = 8;     // timed frames of each kind
constexpr int32_t kFirstTrial = 64;     // listed frames before the first trial
struct FrameChooser {
  bool listed = true;                         // the kind in use between trials
  int32_t frame = kChoiceCycle - kFirstTrial;  // position in the trial cycle
  double seconds[2] = {};  // a trial's timed frames: [0] whole puts, [1] listed
};

// True when the next frame should put the backdrop at listed pixels only
// (SnowfallFrame), false for a whole put (SnowfallWholeFrame).
// `previousSeconds` is how long the frame before it took.
bool ChooseListedFrame(FrameChooser& chooser, double previousSeconds);

void SnowfallRun(Snowfall& snowfall);

// The main thread's animation: set-up, then frames until the quit flag is 1.
// The particles live in this call's frame (the main thread reserves a stack
// large enough for them).
void RunSnowfall(ImageBuffer* logo);

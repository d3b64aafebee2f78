// Which kind of frame the snowfall draws next. Both kinds leave the same
// pixels, but which costs less depends on the machine (a whole put streams
// through the caches, a listed one misses once per pixel), so both are timed
// in short trials about every 10 s. The first trial waits until the logo's
// soft edges have settled, which makes early listed frames dear.
#pragma once

#include <cstdint>

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

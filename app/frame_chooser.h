// Which kind of frame the snowfall draws next. Which kind costs less
// depends on the machine: the whole put streams the frame through the
// caches, the put at listed pixels pays a cache miss for each. Both leave the
// same pixels, so the frame loop times both kinds now and then and keeps the
// cheaper one until the next trial. A whole put of a large desktop costs
// several listed frames, so trials are short and rare: about every 10 s. The
// first waits until the pixels under the logo's soft edges have settled,
// which makes early listed frames dear.
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

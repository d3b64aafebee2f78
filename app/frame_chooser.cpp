#include "app/frame_chooser.h"

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

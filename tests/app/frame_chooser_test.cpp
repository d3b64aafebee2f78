// The frame chooser's trials of both kinds of frame, and the kind it keeps.
#include "app/frame_chooser.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Whole-put frames cost `whole` seconds, listed ones `listed`: the kinds
// that the chooser asks for over `frames` frames.
std::vector<bool> ChosenKinds(double whole, double listed, int frames) {
  FrameChooser chooser;
  std::vector<bool> kinds;
  double previous = 0.0;
  for (int f = 0; f < frames; ++f) {
    kinds.push_back(ChooseListedFrame(chooser, previous));
    previous = kinds.back() ? listed : whole;
  }
  return kinds;
}

TEST(FrameChooser, TriesBothKindsThenKeepsTheCheaperUntilTheNextTrial) {
  constexpr int kTrial = kTrialSettle + kTrialFrames;
  for (bool listedCheaper : {true, false}) {
    SCOPED_TRACE(listedCheaper ? "listed frames cheaper" : "whole puts cheaper");
    const std::vector<bool> kinds = ChosenKinds(
        listedCheaper ? 2e-3 : 1e-3, listedCheaper ? 1e-3 : 2e-3, kFirstTrial + 2 * kChoiceCycle);
    // Listed frames until the first trial.
    for (int f = 0; f < kFirstTrial; ++f) ASSERT_TRUE(kinds[f]) << "frame " << f;
    for (int cycle = 0; cycle < 2; ++cycle) {
      const int start = kFirstTrial + cycle * kChoiceCycle;
      for (int f = 0; f < kChoiceCycle; ++f) {
        const bool expected = f < kTrial ? false : f < 2 * kTrial ? true : listedCheaper;
        ASSERT_EQ(kinds[start + f], expected) << "frame " << f << " of cycle " << cycle;
      }
    }
  }
  // Untimed settling frames don't count: a costly first frame of each kind
  // (the whole put with the scan that starts the listed frames) is ignored.
  FrameChooser chooser;
  chooser.frame = 0;  // a trial now
  double previous = 0.0;
  for (int f = 0; f < 2 * kTrial + 1; ++f) {
    const bool listed = ChooseListedFrame(chooser, previous);
    const int kindFrame = f % kTrial;
    previous = listed && kindFrame < kTrialSettle ? 1.0 : listed ? 1e-3 : 2e-3;
  }
  EXPECT_TRUE(chooser.listed);
}

}  // namespace

// A full-screen saver that loses the foreground to another program ends, as
// Windows' own savers do: the other window shows above it, and the keys that
// would end it go to that program instead. Losing activation counts only
// after the saver has been active; a window still being set up may be told
// it is inactive before it ever was active.
#pragma once

struct ActivationWatch {
  bool wasActive = false;
};

// Records one activation message's news; true when it says that the window,
// active before, has now lost activation.
inline bool LosesActivation(ActivationWatch& watch, bool active) {
  if (active) {
    watch.wasActive = true;
    return false;
  }
  return watch.wasActive;
}

// The start-up's choice of what to do: the about box, or the snapshot and the
// window thread before the animation takes over the main thread.
#include "app/run_mode.h"
#include "app/saver_platform.h"
#include "app/saver_state.h"
#include "runtime/runtime.h"

void SelectRunMode() {
  RunMode mode = ReadRunMode();
  if (mode == RunMode::Configure) {
    ShowAboutBox();
    ProgramEnd(0);
  }
  if (mode == RunMode::Preview) saverState.preview = 1;
  // A window with no frame behind it would paint nothing.
  if (!SnapshotDesktop()) ProgramEnd(0);
  // Without the window thread nothing would ever raise the quit flag.
  if (ThreadStart(WindowThread, 0) == nullptr) ProgramEnd(0);
}

// The runtime hook table the library installs while a mode is set.
#pragma once

#include <cstdint>

#include "runtime/runtime.h"

// All 25 entries: the graphics sleep at kSleepHookIndex, harmless routines
// elsewhere (the console operations they stand for are not drawn here).
const RuntimeHooks* GraphicsHooks();

// The routine that actually waits; tests replace it to watch the sleep.
using WaitRoutine = void (*)(uint32_t milliseconds);
void RasterSetWaitRoutine(WaitRoutine routine);  // null: the real sleep
// Raises the key-pressed flag as a window driver would, so that tests can
// end a sleep by a key.
void RasterPostKey();

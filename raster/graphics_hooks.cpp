// The graphics versions of the runtime hooks. Only the sleep does work: it
// waits in 50 ms steps while watching the library's key-pressed flag.
#include "raster/graphics_hooks.h"

#include <atomic>

#include "raster/raster_internal.h"
#include "runtime/os.h"

namespace {

std::atomic<int32_t> g_keyPressed{0};
std::atomic<WaitRoutine> g_wait{nullptr};

void Wait(uint32_t milliseconds) {
  WaitRoutine routine = g_wait.load(std::memory_order_relaxed);
  if (routine) {
    routine(milliseconds);
  } else {
    os::SleepMilliseconds(milliseconds);
  }
}

void ConsoleHookStandIn() {}

RuntimeHooks MakeGraphicsHooks() {
  RuntimeHooks hooks;
  for (RuntimeHook& entry : hooks.entries) entry = ConsoleHookStandIn;
  hooks.entries[kSleepHookIndex] = reinterpret_cast<RuntimeHook>(&GraphicsSleep);
  return hooks;
}

}  // namespace

void RasterPostKey() { g_keyPressed.store(1, std::memory_order_relaxed); }

bool RasterTakeKey() { return g_keyPressed.exchange(0, std::memory_order_relaxed) != 0; }

// Unlike the runtime's sleep, a sleep of 0 does not wait at all.
void GraphicsSleep(int32_t milliseconds) {
  if (milliseconds == 0) return;
  SleepWatchingKey(milliseconds, RasterTakeKey, Wait);
}

const RuntimeHooks* GraphicsHooks() {
  static const RuntimeHooks hooks = MakeGraphicsHooks();
  return &hooks;
}

void RasterSetWaitRoutine(WaitRoutine routine) {
  g_wait.store(routine, std::memory_order_relaxed);
}

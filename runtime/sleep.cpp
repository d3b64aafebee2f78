// The hook table and sleeping: through the raster library's sleep hook when
// it is installed, otherwise here, watching the console on long sleeps.
#include <cstring>

#include "runtime/runtime_context.h"
#include "runtime/runtime_testing.h"

using namespace runtime_detail;

namespace {

RuntimeSleepServices sleepServices = {nullptr, nullptr};

constexpr uint32_t kKeyPollMilliseconds = 50;

void PlatformSleep(uint32_t milliseconds) {
  if (sleepServices.sleep)
    sleepServices.sleep(milliseconds);
  else
    os::SleepMilliseconds(milliseconds);
}

bool PlatformKeyPressed() {
  return sleepServices.keyPressed ? sleepServices.keyPressed() : os::ConsoleKeyPressed();
}

}  // namespace

void RuntimeSetSleepServicesForTesting(const RuntimeSleepServices* services) {
  sleepServices = services ? *services : RuntimeSleepServices{nullptr, nullptr};
}

void RuntimeSetHooks(const RuntimeHooks* hooks) {
  // Taken here too, so that a reader never sees a half-written table.
  os::LockEnter(hooksLock);
  if (hooks)
    context.hooks = *hooks;
  else
    memset(&context.hooks, 0, sizeof context.hooks);
  os::LockLeave(hooksLock);
}

RuntimeHooks RuntimeGetHooks() {
  os::LockEnter(hooksLock);
  RuntimeHooks copy = context.hooks;
  os::LockLeave(hooksLock);
  return copy;
}

void SleepWatchingKey(int32_t milliseconds, SleepKeyTest keyPressed, SleepWait wait) {
  if (milliseconds == -1) {
    while (!keyPressed()) wait(kKeyPollMilliseconds);
    return;
  }
  if (milliseconds > 99) {
    while (milliseconds > static_cast<int32_t>(kKeyPollMilliseconds)) {
      if (keyPressed()) return;
      wait(kKeyPollMilliseconds);
      milliseconds -= kKeyPollMilliseconds;
    }
  }
  if (milliseconds >= 0) wait(static_cast<uint32_t>(milliseconds));
}

void RuntimeSleep(int32_t milliseconds) {
  os::LockEnter(hooksLock);
  RuntimeHook entry = context.hooks.entries[kSleepHookIndex];
  os::LockLeave(hooksLock);
  if (entry) {
    reinterpret_cast<SleepHook>(entry)(milliseconds);
    return;
  }
  SleepWatchingKey(milliseconds, PlatformKeyPressed, PlatformSleep);
}

// Seams through which tests steer the runtime's sleep, key test, string buffer allocation,
// timer sources and random-number state. Not used by the program.
#pragma once

#include <cstddef>
#include <cstdint>

struct RuntimeSleepServices {
  void (*sleep)(uint32_t milliseconds);
  bool (*keyPressed)();
};
// Null restores the platform's sleep and console key test.
void RuntimeSetSleepServicesForTesting(const RuntimeSleepServices* services);

// Null restores malloc for string buffers.
void RuntimeSetStringAllocatorForTesting(void* (*allocate)(size_t bytes));

struct RuntimeTimerSources {
  bool (*frequency)(int64_t* frequency);
  int64_t (*counter)();
  uint32_t (*tickCount)();
};
// Null restores the platform's sources. Either way the timer asks for the
// frequency again on its next call.
void RuntimeSetTimerSourcesForTesting(const RuntimeTimerSources* sources);

// Puts the random-number generator back into its state at program load.
void RuntimeResetRandomForTesting();

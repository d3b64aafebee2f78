// Seconds since an arbitrary origin, from the performance counter, or from
// the tick count where the counter has no frequency.
#include <atomic>

#include "runtime/os.h"
#include "runtime/runtime.h"
#include "runtime/runtime_testing.h"

namespace {

RuntimeTimerSources sources = {os::PerformanceFrequency, os::PerformanceCounter, os::TickCount};

// 0: not asked yet; 1: counter; 2: tick count.
std::atomic<int> timerMode{0};
std::atomic<double> secondsPerCount{0.0};

}  // namespace

double RuntimeTimer() {
  int mode = timerMode.load(std::memory_order_acquire);
  if (mode == 0) {
    int64_t frequency = 0;
    if (sources.frequency(&frequency) && frequency > 0) {
      secondsPerCount.store(1.0 / static_cast<double>(frequency), std::memory_order_relaxed);
      mode = 1;
    } else {
      mode = 2;
    }
    timerMode.store(mode, std::memory_order_release);
  }
  if (mode == 2) return static_cast<double>(static_cast<long double>(sources.tickCount()) * 0.001);
  long double seconds = static_cast<long double>(sources.counter()) * secondsPerCount.load(std::memory_order_relaxed);
  return static_cast<double>(seconds);
}

void RuntimeSetTimerSourcesForTesting(const RuntimeTimerSources* replacement) {
  sources = replacement ? *replacement
                        : RuntimeTimerSources{os::PerformanceFrequency, os::PerformanceCounter, os::TickCount};
  timerMode.store(0, std::memory_order_release);
}

// One frame of the snowfall (the backdrop blended onto the FrameBuffer and
// 10001 particle steps, without the sleep) at two desktop sizes, with the
// real logo: the saver's frame, which after the first one puts the backdrop
// only where it changes pixels, measured once the frames have settled, both
// straight after the frame before and, as the saver runs it, after a sleep; next
// to baselines from the same run: the frame with the whole backdrop put, the
// whole put alone, the particles alone, and a plain copy of a FrameBuffer's
// worth of pixels.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "app/saver_state.h"
#include "app/snowfall.h"
#include "png/png.h"
#include "raster/raster.h"
#include "resources/logo.h"
#include "runtime/runtime.h"

namespace {

struct RuntimeUp {
  RuntimeUp() {
    RuntimeInit();
    static char name[] = "app_bench";
    static char* vector[] = {name, nullptr};
    RuntimeStart(1, vector, 0);
  }
} runtimeUp;

ImageBuffer* DecodeLogo() {
  return static_cast<ImageBuffer*>(PngDecodeMemory(kLogoPng, kLogoPngSize, 2));
}

// The desktop, the screen mode and a snowfall set up as the saver does it.
struct Scene {
  std::unique_ptr<Snowfall> snowfall;
  ImageBuffer* logo = nullptr;

  Scene(uint32_t width, uint32_t height) {
    SaverStateClear();
    saverState.width = width;
    saverState.height = height;
    SetScreenMode(static_cast<int32_t>(width), static_cast<int32_t>(height), 32, 1, -1, 0);
    Randomize(0.0, kRandomAutomatic);
    logo = DecodeLogo();
    snowfall = std::make_unique<Snowfall>();
    SnowfallSetup(*snowfall, logo);
  }
  ~Scene() {
    std::free(snowfall->backdrop);
    std::free(logo);
  }
};

// Frames enough for every pixel under the logo's soft edges to settle and
// for the particles to reach the positions they keep coming back to.
constexpr int kWarmUpFrames = 60;

void SnowfallFrameBench(benchmark::State& state) {
  Scene scene(static_cast<uint32_t>(state.range(0)), static_cast<uint32_t>(state.range(1)));
  for (int i = 0; i < kWarmUpFrames; ++i) SnowfallFrame(*scene.snowfall);
  for (auto _ : state) {
    SnowfallFrame(*scene.snowfall);
    benchmark::ClobberMemory();
  }
  state.counters["followed_pixels"] = scene.snowfall->points.MovingCount() +
                                    scene.snowfall->points.LogoSnowCount();
  state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
}

// The frame as the saver runs it, after a 1 ms sleep (not timed). While the
// thread sleeps, other work takes over the core and its caches, so the
// frame finds less of its memory and fewer of its page translations still
// cached than a frame run straight after another. (Under Wine the sleep
// lasts about 1.1 ms; on Windows a timer tick, longer still.)
void SnowfallSleptFrameBench(benchmark::State& state) {
  Scene scene(static_cast<uint32_t>(state.range(0)), static_cast<uint32_t>(state.range(1)));
  for (int i = 0; i < kWarmUpFrames; ++i) SnowfallFrame(*scene.snowfall);
  for (auto _ : state) {
    RuntimeSleep(1);
    const double start = RuntimeTimer();
    SnowfallFrame(*scene.snowfall);
    benchmark::ClobberMemory();
    state.SetIterationTime(RuntimeTimer() - start);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
}

void SnowfallWholeFrameBench(benchmark::State& state) {
  Scene scene(static_cast<uint32_t>(state.range(0)), static_cast<uint32_t>(state.range(1)));
  for (int i = 0; i < kWarmUpFrames; ++i) SnowfallWholeFrame(*scene.snowfall);
  for (auto _ : state) {
    SnowfallWholeFrame(*scene.snowfall);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
}

// The saver's frame loop without its sleep: each frame of the kind that the
// loop's own trials find cheaper on this machine. Runs whole trial cycles,
// the trials included.
void SnowfallChosenFrameBench(benchmark::State& state) {
  Scene scene(static_cast<uint32_t>(state.range(0)), static_cast<uint32_t>(state.range(1)));
  FrameChooser chooser;
  double frameSeconds = 0.0;
  int64_t listedFrames = 0, frames = 0;
  for (auto _ : state) {
    const double start = RuntimeTimer();
    const bool listed = ChooseListedFrame(chooser, frameSeconds);
    if (listed) {
      SnowfallFrame(*scene.snowfall);
    } else {
      SnowfallWholeFrame(*scene.snowfall);
    }
    frameSeconds = RuntimeTimer() - start;
    listedFrames += listed;
    ++frames;
    benchmark::ClobberMemory();
  }
  state.counters["listed_share"] = static_cast<double>(listedFrames) / static_cast<double>(frames);
  state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
}

// The 10001 particle steps with their pixel sets, no backdrop.
void ParticlesOnlyBench(benchmark::State& state) {
  Scene scene(static_cast<uint32_t>(state.range(0)), static_cast<uint32_t>(state.range(1)));
  Snowfall& snowfall = *scene.snowfall;
  for (auto _ : state) {
    for (Particle& particle : snowfall.storage) StepParticle(particle);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kParticleCount);
}

void BackdropPutOnlyBench(benchmark::State& state) {
  Scene scene(static_cast<uint32_t>(state.range(0)), static_cast<uint32_t>(state.range(1)));
  for (auto _ : state) {
    PutImage(nullptr, 0.0f, 0.0f, scene.snowfall->backdrop, kCoordinateNotGiven,
             kCoordinateNotGiven, kCoordinateNotGiven, kCoordinateNotGiven, 4, kPutModeAlpha,
             AlphaPut, -1, nullptr, 0);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
}

void FrameCopyBaseline(benchmark::State& state) {
  size_t pixels = static_cast<size_t>(state.range(0)) * static_cast<size_t>(state.range(1));
  std::vector<uint32_t> source(pixels, 0xFF0000FFu), destination(pixels, 0);
  for (auto _ : state) {
    std::memcpy(destination.data(), source.data(), pixels * 4);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(pixels));
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->Args({1920, 1080})->Args({3840, 2160});
  b->ArgNames({"width", "height"});
  b->Repetitions(9)->ReportAggregatesOnly(true);
  b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(FrameCopyBaseline)->Apply(Sizes);
BENCHMARK(BackdropPutOnlyBench)->Apply(Sizes);
BENCHMARK(ParticlesOnlyBench)->Apply(Sizes);
BENCHMARK(SnowfallWholeFrameBench)->Apply(Sizes);
BENCHMARK(SnowfallFrameBench)->Apply(Sizes);
BENCHMARK(SnowfallSleptFrameBench)->Apply(Sizes)->UseManualTime();
BENCHMARK(SnowfallChosenFrameBench)->Apply(Sizes)->Iterations(kChoiceCycle)->Repetitions(3);

}  // namespace

BENCHMARK_MAIN();

// One frame of the snowfall (the backdrop blended onto the FrameBuffer and
// 10001 particle steps, without the sleep) at two desktop sizes, next to two
// baselines from the same run: a plain copy of a FrameBuffer's worth of
// pixels, and the backdrop put alone.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "app/saver_state.h"
#include "app/snowfall.h"
#include "raster/raster.h"

namespace {

struct RuntimeUp {
  RuntimeUp() {
    RuntimeInit();
    static char name[] = "app_bench";
    static char* vector[] = {name, nullptr};
    RuntimeStart(1, vector, 0);
  }
} runtimeUp;

// A 1440 x 900 logo with transparent, soft and opaque areas, like the real one.
ImageBuffer* MakeLogo() {
  ImageBuffer* logo = ImageCreate(1440, 900, 0, 32, 0);
  if (!logo) return nullptr;
  auto* header = static_cast<ImageHeader*>(logo);
  auto* pixels = static_cast<uint8_t*>(logo) + kImageHeaderSize;
  for (uint32_t y = 0; y < 900; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(pixels + y * header->pitch);
    for (uint32_t x = 0; x < 1440; ++x) {
      uint32_t alpha = ((x / 90 + y / 90) % 3 == 0) ? 0 : ((x + y) % 7 == 0 ? 128 : 255);
      row[x] = (alpha << 24) | (x * 0x010203u & 0xFFFFFFu);
    }
  }
  return logo;
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
    logo = MakeLogo();
    snowfall = std::make_unique<Snowfall>();
    SnowfallSetup(*snowfall, logo);
  }
  ~Scene() {
    std::free(snowfall->backdrop);
    std::free(logo);
  }
};

void SnowfallFrameBench(benchmark::State& state) {
  Scene scene(static_cast<uint32_t>(state.range(0)), static_cast<uint32_t>(state.range(1)));
  for (auto _ : state) {
    SnowfallFrame(*scene.snowfall);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
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
BENCHMARK(SnowfallFrameBench)->Apply(Sizes);

}  // namespace

BENCHMARK_MAIN();

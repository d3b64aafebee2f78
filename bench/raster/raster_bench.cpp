// The saver's per-frame work: the full-screen alpha put of the backdrop onto
// the frame buffer, next to a plain memcpy of the same frame in the same
// run, and one frame's 10001 pixel sets. Run with
//   raster_bench --benchmark_repetitions=10 --benchmark_display_aggregates_only=true
// (the registrations below already ask for repetitions; read the medians).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "raster/blend.h"
#include "raster/raster.h"
#include "runtime/runtime.h"

namespace {

constexpr int kRepetitions = 10;

void StartRuntime() {
  static const bool started = [] {
    RuntimeInit();
    RuntimeStart(0, nullptr, 0);
    return true;
  }();
  (void)started;
}

enum Backdrop : int64_t {
  // As the saver composes it: opaque blue with a logo whose opaque shape
  // has soft edges, so nearly every pixel stays opaque.
  kSaverLike = 0,
  // The worst case: the logo-sized block has every alpha value, so most of
  // it is neither opaque nor transparent.
  kEveryAlpha = 1,
};

uint32_t LogoPixel(Backdrop kind, uint32_t x, uint32_t y) {
  if (kind == kEveryAlpha) {
    return ((x + y) & 0xFF) << 24 | (x * 7 & 0xFF) << 16 | (y & 0xFF) << 8 | 0x40;
  }
  // A ring: opaque between radii 250 and 400 around the centre, with a
  // four-pixel ramp at each edge, transparent elsewhere.
  const double dx = static_cast<double>(x) - 720.0, dy = static_cast<double>(y) - 450.0;
  const double r = std::sqrt(dx * dx + dy * dy);
  const double inside = std::min(std::min(r - 250.0, 400.0 - r) / 4.0, 1.0);
  const uint32_t alpha = inside <= 0 ? 0 : static_cast<uint32_t>(inside * 255.0);
  return alpha << 24 | 0xF0C020u;
}

ImageBuffer* MakeBackdrop(int32_t width, int32_t height, Backdrop kind) {
  ImageBuffer* backdrop = ImageCreate(width, height, 0, 0, static_cast<int32_t>(0x80000000u));
  DrawLine(backdrop, 0, 0, static_cast<float>(width), static_cast<float>(height), 0xFF0000FFu, 2,
           0xFFFF, 0);
  ImageBuffer* logo = ImageCreate(1440, 900, 0, 32, 0);
  auto* pixels = reinterpret_cast<uint8_t*>(logo) + kImageHeaderSize;
  const uint32_t pitch = HeaderOf(logo)->pitch;
  for (uint32_t y = 0; y < 900; ++y) {
    for (uint32_t x = 0; x < 1440; ++x) {
      const uint32_t value = LogoPixel(kind, x, y);
      std::memcpy(pixels + y * pitch + 4 * x, &value, 4);
    }
  }
  PutImage(backdrop, 0, 0, logo, kCoordinateNotGiven, kCoordinateNotGiven, kCoordinateNotGiven,
           kCoordinateNotGiven, 4, 6, AlphaPut, -1, nullptr, 0);
  std::free(logo);
  return backdrop;
}

struct Frame {
  int32_t width, height;
  ImageBuffer* backdrop;
};

Frame SetUpFrame(benchmark::State& state) {
  StartRuntime();
  const int32_t width = static_cast<int32_t>(state.range(0));
  const int32_t height = static_cast<int32_t>(state.range(1));
  SetScreenMode(width, height, 32, 1, -1, 0);
  const auto kind = static_cast<Backdrop>(state.range(2));
  return {width, height, MakeBackdrop(width, height, kind)};
}

void SetBytes(benchmark::State& state, const Frame& frame) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * frame.width * frame.height * 4);
}

void BM_FrameMemcpy(benchmark::State& state) {
  Frame frame = SetUpFrame(state);
  const auto* source = reinterpret_cast<const uint8_t*>(frame.backdrop) + kImageHeaderSize;
  void* screen = ScreenPointer();
  const size_t bytes = static_cast<size_t>(frame.width) * frame.height * 4;
  for (auto _ : state) {
    std::memcpy(screen, source, bytes);
    benchmark::ClobberMemory();
  }
  SetBytes(state, frame);
  std::free(frame.backdrop);
}

void PutBackdrop(benchmark::State& state, BlendKernel kernel) {
  Frame frame = SetUpFrame(state);
  const BlendKernel chosen = ActiveBlendKernel();
  if (!ForceBlendKernel(kernel)) {
    state.SkipWithError("this processor does not run this version");
    std::free(frame.backdrop);
    return;
  }
  for (auto _ : state) {
    PutImage(nullptr, 0, 0, frame.backdrop, kCoordinateNotGiven, kCoordinateNotGiven,
             kCoordinateNotGiven, kCoordinateNotGiven, 4, 6, AlphaPut, -1, nullptr, 0);
    benchmark::ClobberMemory();
  }
  ForceBlendKernel(chosen);
  SetBytes(state, frame);
  std::free(frame.backdrop);
}

// The saver's call, with the version chosen at start-up.
void BM_AlphaPut(benchmark::State& state) { PutBackdrop(state, ActiveBlendKernel()); }
void BM_AlphaPutScalar(benchmark::State& state) { PutBackdrop(state, BlendKernel::kScalar); }
void BM_AlphaPutSse2(benchmark::State& state) { PutBackdrop(state, BlendKernel::kSse2); }
void BM_AlphaPutAvx2(benchmark::State& state) { PutBackdrop(state, BlendKernel::kAvx2); }

// The target in one number: each iteration copies the frame with memcpy and
// then alpha-puts it, on the same buffers, so both passes see the same load
// on a shared machine. The reported time is the put's; the counter
// put_over_memcpy is the ratio of the two totals in each repetition.
void PutOverMemcpy(benchmark::State& state, BlendKernel kernel) {
  using Clock = std::chrono::steady_clock;
  Frame frame = SetUpFrame(state);
  const BlendKernel chosen = ActiveBlendKernel();
  if (!ForceBlendKernel(kernel)) {
    state.SkipWithError("this processor does not run this version");
    std::free(frame.backdrop);
    return;
  }
  const auto* source = reinterpret_cast<const uint8_t*>(frame.backdrop) + kImageHeaderSize;
  void* screen = ScreenPointer();
  const size_t bytes = static_cast<size_t>(frame.width) * frame.height * 4;
  double copySeconds = 0, putSeconds = 0;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    std::memcpy(screen, source, bytes);
    benchmark::ClobberMemory();
    const Clock::time_point copied = Clock::now();
    PutImage(nullptr, 0, 0, frame.backdrop, kCoordinateNotGiven, kCoordinateNotGiven,
             kCoordinateNotGiven, kCoordinateNotGiven, 4, 6, AlphaPut, -1, nullptr, 0);
    benchmark::ClobberMemory();
    const Clock::time_point put = Clock::now();
    const double putTime = std::chrono::duration<double>(put - copied).count();
    copySeconds += std::chrono::duration<double>(copied - start).count();
    putSeconds += putTime;
    state.SetIterationTime(putTime);
  }
  ForceBlendKernel(chosen);
  state.counters["put_over_memcpy"] = copySeconds > 0 ? putSeconds / copySeconds : 0;
  std::free(frame.backdrop);
}

void BM_AlphaPutOverMemcpy(benchmark::State& state) { PutOverMemcpy(state, ActiveBlendKernel()); }
void BM_AlphaPutSse2OverMemcpy(benchmark::State& state) {
  PutOverMemcpy(state, BlendKernel::kSse2);
}

// One frame's particles: 10001 scattered positions.
struct ScatteredPoints {
  std::vector<float> xs = std::vector<float>(10001), ys = std::vector<float>(10001);
  ScatteredPoints() {
    uint32_t seed = 12345;
    for (size_t i = 0; i < xs.size(); ++i) {
      seed = seed * 1664525u + 1013904223u;
      xs[i] = static_cast<float>(seed % 1921);
      seed = seed * 1664525u + 1013904223u;
      ys[i] = static_cast<float>(seed % 1081);
    }
  }
};

void BM_PixelSet10001(benchmark::State& state) {
  StartRuntime();
  SetScreenMode(1920, 1080, 32, 1, -1, 0);
  const ScatteredPoints points;
  for (auto _ : state) {
    for (size_t i = 0; i < points.xs.size(); ++i) {
      PixelSet(nullptr, points.xs[i], points.ys[i], 0xFFFFFFFFu, 4, 0);
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 10001);
}

// The baseline for it: the same points rounded, clipped and stored into the
// same FrameBuffer directly, without a context, colour or lock.
void BM_PixelStore10001Baseline(benchmark::State& state) {
  StartRuntime();
  SetScreenMode(1920, 1080, 32, 1, -1, 0);
  const ScatteredPoints points;
  auto* frame = static_cast<uint32_t*>(ScreenPointer());
  for (auto _ : state) {
    for (size_t i = 0; i < points.xs.size(); ++i) {
      const uint32_t x = static_cast<uint32_t>(RoundCoordinate(points.xs[i]));
      const uint32_t y = static_cast<uint32_t>(RoundCoordinate(points.ys[i]));
      if (x < 1920 && y < 1080) frame[y * 1920 + x] = 0xFFFFFFFFu;
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 10001);
}

// Width, height, backdrop kind.
void Sizes(benchmark::internal::Benchmark* b) {
  b->Args({1920, 1080, kSaverLike})->Args({3840, 2160, kSaverLike});
  b->Args({1920, 1080, kEveryAlpha})->Args({3840, 2160, kEveryAlpha});
  b->Repetitions(kRepetitions)->DisplayAggregatesOnly(true)->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_FrameMemcpy)->Apply(Sizes);
BENCHMARK(BM_AlphaPutOverMemcpy)->Apply(Sizes)->UseManualTime();
BENCHMARK(BM_AlphaPutSse2OverMemcpy)->Apply(Sizes)->UseManualTime();
BENCHMARK(BM_AlphaPut)->Apply(Sizes);
BENCHMARK(BM_AlphaPutAvx2)->Apply(Sizes);
BENCHMARK(BM_AlphaPutSse2)->Apply(Sizes);
BENCHMARK(BM_AlphaPutScalar)->Apply(Sizes);
BENCHMARK(BM_PixelStore10001Baseline)
    ->Repetitions(kRepetitions)
    ->DisplayAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PixelSet10001)
    ->Repetitions(kRepetitions)
    ->DisplayAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

// String assignment keeps a variable's buffer across similar lengths; the
// baseline deletes it first so that every assignment allocates. The saver's
// run-mode expression goes through the pool of temporaries; the baseline
// does the same work with std::string. Rnd next to the standard library's
// Mersenne Twister.
#include <benchmark/benchmark.h>

#include <cctype>
#include <random>
#include <string>

#include "runtime/runtime.h"
#include "runtime/strings.h"

namespace {

const char* kTexts[2] = {"a class name of thirty bytes..", "a class name of thirty-four bytes."};

struct Runtime {
  Runtime() {
    RuntimeInit();
    RuntimeStart(3, arguments, 0);
  }
  ~Runtime() { RuntimeShutdown(); }
  char program[8] = "saver";
  char mode[4] = "/P";
  char handle[8] = "123456";
  char* arguments[4] = {program, mode, handle, nullptr};
};

void BM_AssignReusingBuffer(benchmark::State& state) {
  Runtime runtime;
  StringDescriptor variable = {nullptr, 0, 0};
  int i = 0;
  for (auto _ : state) {
    StrAssign(&variable, kDescriptorKind, kTexts[i ^= 1], 0, 0);
    benchmark::DoNotOptimize(variable.data);
  }
  StrDelete(&variable);
}
BENCHMARK(BM_AssignReusingBuffer);

void BM_AssignFreshBufferBaseline(benchmark::State& state) {
  Runtime runtime;
  StringDescriptor variable = {nullptr, 0, 0};
  int i = 0;
  for (auto _ : state) {
    StrDelete(&variable);
    StrAssign(&variable, kDescriptorKind, kTexts[i ^= 1], 0, 0);
    benchmark::DoNotOptimize(variable.data);
  }
  StrDelete(&variable);
}
BENCHMARK(BM_AssignFreshBufferBaseline);

void BM_RunModeExpression(benchmark::State& state) {
  Runtime runtime;
  for (auto _ : state) {
    int32_t isPreview = StrCompare(StrLower(StrLeft(CommandText(-1), 2)), kDescriptorKind, "/p", 3);
    benchmark::DoNotOptimize(isPreview);
  }
}
BENCHMARK(BM_RunModeExpression);

void BM_RunModeExpressionStdStringBaseline(benchmark::State& state) {
  Runtime runtime;
  for (auto _ : state) {
    std::string line = std::string(runtime.mode) + " " + runtime.handle;
    std::string left = line.substr(0, 2);
    for (char& c : left) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    int32_t isPreview = left.compare("/p");
    benchmark::DoNotOptimize(isPreview);
  }
}
BENCHMARK(BM_RunModeExpressionStdStringBaseline);

void BM_RndMersenne(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Rnd(1.0f));
}
BENCHMARK(BM_RndMersenne);

void BM_StdMt19937Baseline(benchmark::State& state) {
  std::mt19937 generator;
  for (auto _ : state) benchmark::DoNotOptimize(generator() * (1.0 / 4294967296.0));
}
BENCHMARK(BM_StdMt19937Baseline);

}  // namespace

BENCHMARK_MAIN();

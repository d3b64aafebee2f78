// The uniform random-number generator behind Rnd: four algorithms chosen by
// Randomize, and the start-up generator that seeds the automatic choice on
// the first draw. Only one thread draws numbers, so there is no lock.
#include <cstdlib>
#include <cstring>

#include "runtime/runtime_context.h"
#include "runtime/runtime_testing.h"

using namespace runtime_detail;

namespace {

using Generator = double (*)(float n);

constexpr int kMersenneWords = 624;
constexpr int kMersenneShift = 397;
constexpr uint32_t kUpperMask = 0x80000000u;
constexpr uint32_t kLowerMask = 0x7FFFFFFFu;
constexpr uint32_t kMatrix = 0x9908B0DFu;

constexpr double kTwoToMinus15 = 1.0 / 32768.0;
constexpr double kTwoToMinus24 = 1.0 / 16777216.0;
constexpr double kTwoToMinus32 = 1.0 / 4294967296.0;

double StartupGenerator(float n);

Generator currentGenerator = StartupGenerator;
double lastRandom = 0.01953125;
uint32_t randomSeed = 0x50000;
uint32_t mersenne[kMersenneWords];
int mersennePosition = kMersenneWords;

// Conversions toward zero; a value out of range (or NaN) gives the x86
// "integer indefinite" value instead of undefined behaviour.
int32_t TruncateToInt32(double value) {
  if (value > -2147483649.0 && value < 2147483648.0) return static_cast<int32_t>(value);
  return INT32_MIN;
}

int64_t TruncateToInt64(double value) {
  if (value >= -9223372036854775808.0 && value < 9223372036854775808.0) return static_cast<int64_t>(value);
  return INT64_MIN;
}

uint32_t LowWordOfTruncated(double value) {
  return static_cast<uint32_t>(static_cast<uint64_t>(TruncateToInt64(value)));
}

double PlatformGenerator(float) {
  // The low 15 bits: the whole range where rand() stops at 32767, and still
  // below 1 where RAND_MAX is larger.
  return (rand() & 0x7FFF) * kTwoToMinus15;
}

double FastLcgGenerator(float) {
  randomSeed = randomSeed * 1664525u + 1013904223u;
  return randomSeed * kTwoToMinus32;
}

double Lcg24Generator(float n) {
  uint32_t pattern;
  memcpy(&pattern, &n, sizeof pattern);
  if (pattern & 0x80000000u) randomSeed = (pattern & 0xFFFFFFu) + (pattern >> 24);
  randomSeed = (randomSeed * 16598013u + 12820163u) & 0xFFFFFFu;
  return randomSeed * kTwoToMinus24;
}

void MersenneRegenerate() {
  for (int k = 0; k < kMersenneWords; ++k) {
    uint32_t y = (mersenne[k] & kUpperMask) | (mersenne[(k + 1) % kMersenneWords] & kLowerMask);
    mersenne[k] = mersenne[(k + kMersenneShift) % kMersenneWords] ^ (y >> 1) ^ ((y & 1u) ? kMatrix : 0u);
  }
  mersennePosition = 0;
}

double MersenneGenerator(float) {
  if (mersennePosition >= kMersenneWords) MersenneRegenerate();
  uint32_t y = mersenne[mersennePosition++];
  y ^= y >> 11;
  y ^= (y << 7) & 0x9D2C5680u;
  y ^= (y << 15) & 0xEFC60000u;
  y ^= y >> 18;
  return y * kTwoToMinus32;
}

void MersenneSeed(uint32_t seed) {
  mersenne[0] = seed;
  for (int i = 1; i < kMersenneWords; ++i) mersenne[i] = mersenne[i - 1] * 1664525u + 1013904223u;
  mersennePosition = kMersenneWords;
}

double StartupGenerator(float n) {
  Randomize(0.0, kRandomAutomatic);
  return Rnd(n);
}

}  // namespace

double Rnd(float n) {
  uint32_t pattern;
  memcpy(&pattern, &n, sizeof pattern);
  if (pattern == 0) return lastRandom;
  lastRandom = currentGenerator(n);
  return lastRandom;
}

void Randomize(double seed, int32_t algorithm) {
  if (algorithm == kRandomAutomatic) {
    switch (context.compatibility) {
      case 1: algorithm = kRandomPlatform; break;
      case 2: algorithm = kRandom24BitLcg; break;
      default: algorithm = kRandomMersenne; break;
    }
  }
  if (seed == -1.0) seed = RuntimeTimer();
  switch (algorithm) {
    case kRandomPlatform:
      currentGenerator = PlatformGenerator;
      srand(static_cast<unsigned>(TruncateToInt32(seed)));
      break;
    case kRandomFastLcg:
      currentGenerator = FastLcgGenerator;
      randomSeed = LowWordOfTruncated(seed);
      break;
    case kRandom24BitLcg: {
      currentGenerator = Lcg24Generator;
      uint64_t bits;
      memcpy(&bits, &seed, sizeof bits);
      uint32_t high = static_cast<uint32_t>(bits >> 32);
      uint32_t folded = high ^ (high >> 16);
      randomSeed = ((folded & 0xFFFFu) << 8) | (folded & 0xFFu);
      break;
    }
    default:
      currentGenerator = MersenneGenerator;
      MersenneSeed(LowWordOfTruncated(seed));
      break;
  }
}

void RuntimeResetRandomForTesting() {
  currentGenerator = StartupGenerator;
  lastRandom = 0.01953125;
  randomSeed = 0x50000;
  memset(mersenne, 0, sizeof mersenne);
  mersennePosition = kMersenneWords;
}

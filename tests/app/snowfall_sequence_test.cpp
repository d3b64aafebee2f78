// The initial field of particles in a fresh process: drawn from the
// runtime's default random sequence, never seeded, the same in every run.
// Kept in a program of its own so that nothing has drawn a number before.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "app/saver_state.h"
#include "app/snowfall.h"
#include "raster/raster.h"
#include "tests/app/command_line.h"
#include "tests/app/snowfall_reference.h"

namespace {

struct RuntimeUp {
  RuntimeUp() { RuntimeInit(); }
} runtimeUp;

constexpr uint32_t kWidth = 1366;
constexpr uint32_t kHeight = 768;

Particle ExpectedParticle(ReferenceSequence& sequence) {
  double r[8];
  for (double& v : r) v = sequence.Next();
  Particle p;
  p.x = r[0] * kWidth;  // exact product rounded once: the same in any precision
  p.y = r[1] * kHeight;
  // The products are exact before their rounding to double; the sums are
  // taken in the floating-point unit's extended precision, then stored.
  // (volatile: stored, and so rounded, even where doubles live in wider registers)
  volatile double productX = r[2] * r[3] * 2.0;
  volatile double productY = r[5] * r[6] * 2.0;
  p.dx = static_cast<double>(static_cast<long double>(productX) - r[4]);
  p.dy = static_cast<double>(static_cast<long double>(productY) - r[7]);
  if (p.dx == 0.0) p.dx = 1.0;
  if (p.dy < 0.5) p.dy = 0.5;
  return p;
}

void ExpectSameParticle(const Particle& actual, const Particle& expected, int index) {
  EXPECT_EQ(actual.x, expected.x) << "particle " << index;
  EXPECT_EQ(actual.y, expected.y) << "particle " << index;
  EXPECT_EQ(actual.dx, expected.dx) << "particle " << index;
  EXPECT_EQ(actual.dy, expected.dy) << "particle " << index;
  EXPECT_EQ(actual.extra, 0) << "particle " << index;
}

TEST(SnowfallSetup, PlacesTheParticlesFromTheDefaultSequenceTheSameInEveryRun) {
  CommandLine line({"/s"});
  SaverStateClear();
  saverState.width = kWidth;
  saverState.height = kHeight;
  SetScreenMode(kWidth, kHeight, 32, 1, -1, 0);
  ASSERT_NE(ScreenPointer(), nullptr);

  // The reference generator itself reproduces the runtime's documented start.
  {
    ReferenceSequence check;
    EXPECT_EQ(check.NextWord(), 1417766733u);
    EXPECT_EQ(check.NextWord(), 1413209507u);
    EXPECT_EQ(check.NextWord(), 2286996103u);
    EXPECT_EQ(check.NextWord(), 3263938748u);
  }

  auto first = std::make_unique<Snowfall>();
  SnowfallSetup(*first, nullptr);

  // Particle 0 spelled out from the first eight draws.
  EXPECT_EQ(first->storage[0].x, 1417766733.0 * 0x1p-32 * kWidth);
  EXPECT_EQ(first->storage[0].y, 1413209507.0 * 0x1p-32 * kHeight);

  ReferenceSequence sequence;
  int clampedDy = 0;
  for (int i = 0; i < kParticleCount; ++i) {
    Particle expected = ExpectedParticle(sequence);
    ExpectSameParticle(first->storage[i], expected, i);
    const Particle& p = first->storage[i];
    ASSERT_TRUE(p.x >= 0 && p.x < kWidth && p.y >= 0 && p.y < kHeight) << i;
    ASSERT_TRUE(p.dx > -1 && p.dx < 2 && p.dx != 0.0) << i;
    ASSERT_TRUE(p.dy >= 0.5 && p.dy < 2) << i;
    if (p.dy == 0.5) ++clampedDy;
  }
  // Well over a third of the raw vertical steps fall below half a pixel.
  EXPECT_GT(clampedDy, kParticleCount / 3);

  // A second run from the same start gives the same field.
  Randomize(0.0, kRandomAutomatic);
  auto second = std::make_unique<Snowfall>();
  SnowfallSetup(*second, nullptr);
  for (int i = 0; i < kParticleCount; ++i) {
    ExpectSameParticle(second->storage[i], first->storage[i], i);
  }
  std::free(first->backdrop);
  std::free(second->backdrop);
}

}  // namespace

// The particles' placement from their draws and their steps.
#include "app/particles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <utility>

#include "app/saver_state.h"
#include "tests/app/desktop_fixture.h"

namespace {

// ---- placement rules ---------------------------------------------------------------

TEST(PlaceParticle, ScalesTheFirstTwoDrawsByTheDesktopSize) {
  Particle p;
  PlaceParticle(p, {0.25, 0.5, 0.9, 0.9, 0.1, 0.9, 0.9, 0.1}, 1920.0, 1080.0);
  EXPECT_EQ(p.x, 480.0);
  EXPECT_EQ(p.y, 540.0);
  EXPECT_EQ(p.dx, 0.9 * 0.9 * 2.0 - 0.1);
  EXPECT_EQ(p.dy, 0.9 * 0.9 * 2.0 - 0.1);
  EXPECT_EQ(p.extra, 0);
}

TEST(PlaceParticle, AHorizontalStepOfExactlyZeroBecomesOne) {
  Particle p;
  PlaceParticle(p, {0, 0, 0.5, 0.5, 0.5, 0.9, 0.9, 0}, 100, 100);
  EXPECT_EQ(p.dx, 1.0);
  PlaceParticle(p, {0, 0, 0.0, 0.7, 0.0, 0.9, 0.9, 0}, 100, 100);  // 0 + (-0)
  EXPECT_EQ(p.dx, 1.0);
  // Only exactly zero: the smallest steps either way are kept.
  PlaceParticle(p, {0, 0, 0.0, 0.7, 0x1p-32, 0.9, 0.9, 0}, 100, 100);
  EXPECT_EQ(p.dx, -0x1p-32);
  PlaceParticle(p, {0, 0, 0x1p-16, 0x1p-16, 0.0, 0.9, 0.9, 0}, 100, 100);
  EXPECT_EQ(p.dx, 0x1p-31);
}

TEST(PlaceParticle, AVerticalStepBelowHalfAPixelBecomesHalf) {
  Particle p;
  PlaceParticle(p, {0, 0, 0.9, 0.9, 0, 0.5, 0.5, 0.25}, 100, 100);  // 0.25
  EXPECT_EQ(p.dy, 0.5);
  PlaceParticle(p, {0, 0, 0.9, 0.9, 0, 0.0, 0.5, 0.9}, 100, 100);  // negative
  EXPECT_EQ(p.dy, 0.5);
  PlaceParticle(p, {0, 0, 0.9, 0.9, 0, 0.5, 0.5, 0x1p-32}, 100, 100);  // just below
  EXPECT_EQ(p.dy, 0.5);
  PlaceParticle(p, {0, 0, 0.9, 0.9, 0, 0.75, 0.5, 0.25}, 100, 100);  // exactly half
  EXPECT_EQ(p.dy, 0.5);
  PlaceParticle(p, {0, 0, 0.9, 0.9, 0, 0.75, 0.5, 0.25 - 0x1p-32}, 100, 100);  // just above
  EXPECT_EQ(p.dy, 0.5 + 0x1p-32);
  // The horizontal step has no such floor.
  EXPECT_EQ(p.dx, 0.9 * 0.9 * 2.0);
}

TEST(PlaceParticle, RoundsTheProductFirstAndTheSumFromExtendedPrecision) {
  // The exact difference lies a hair beyond the midpoint between two doubles.
  // In extended precision it first rounds onto that midpoint, which then
  // goes to the even neighbour, -0.5; a direct double sum would give the
  // other neighbour.
  Particle p;
  PlaceParticle(p, {0, 0, 0x1p-56 + 0x1p-71, 1.0, 0.5, 0.9, 0.9, 0}, 100, 100);
  EXPECT_EQ(p.dx, -0.5);
  PlaceParticle(p, {0, 0, 0.9, 0.9, 0, 0x1p-56 + 0x1p-71, 1.0, -1.0}, 100, 100);
  EXPECT_EQ(p.dy, 1.0);
}

// ---- stepping ------------------------------------------------------------------------

class StepParticleTest : public Desktop {
 protected:
  void SetUp() override { SetUpDesktop(100, 50); }

  // Every frame pixel that is white, as (x, y) pairs.
  std::set<std::pair<uint32_t, uint32_t>> WhitePixels() {
    std::set<std::pair<uint32_t, uint32_t>> white;
    for (uint32_t y = 0; y < saverState.height; ++y)
      for (uint32_t x = 0; x < saverState.width; ++x)
        if (FramePixel(x, y) == kWhite) white.insert({x, y});
    return white;
  }
  using Pixels = std::set<std::pair<uint32_t, uint32_t>>;
};

TEST_F(StepParticleTest, MovesByTheStepAndSetsOneOpaqueWhitePixel) {
  Particle p = MakeParticle(10.0, 20.0, 1.25, 0.75);
  StepParticle(p);
  EXPECT_EQ(p.x, 11.25);
  EXPECT_EQ(p.y, 20.75);
  EXPECT_EQ(WhitePixels(), (Pixels{{11, 21}}));
  StepParticle(p);  // 12.5, 21.5: halves round away from zero
  EXPECT_EQ(WhitePixels(), (Pixels{{11, 21}, {13, 22}}));
}

TEST_F(StepParticleTest, ThePixelIsTheStoredPositionRoundedToFloatFirst) {
  // 12.5 - 2^-30 is a float's 12.5, which rounds to column 13; rounded
  // from the double, it would be column 12. 12.5 - 2^-20 and 14.5 - 2^-20
  // are floats.
  Particle toHalf = MakeParticle(12.0, 20.0, 0.5 - 0x1p-30, 1.0 - 0x1p-30);
  StepParticle(toHalf);
  EXPECT_EQ(toHalf.x, 12.5 - 0x1p-30);
  EXPECT_EQ(WhitePixels(), (Pixels{{13, 21}}));
  Particle belowHalf = MakeParticle(12.0, 14.0, 0.5 - 0x1p-20, 0.5 - 0x1p-20);
  StepParticle(belowHalf);
  EXPECT_EQ(WhitePixels(), (Pixels{{13, 21}, {12, 14}}));
}

TEST_F(StepParticleTest, WrapsToZeroOnlyStrictlyPastTheRightEdge) {
  Particle past = MakeParticle(99.75, 10.0, 0.5, 1.0);
  StepParticle(past);
  EXPECT_EQ(past.x, 0.0);
  EXPECT_EQ(past.y, 11.0);  // the other coordinate moves as usual
  EXPECT_EQ(WhitePixels(), (Pixels{{0, 11}}));

  Particle onEdge = MakeParticle(99.5, 30.0, 0.5, 1.0);
  StepParticle(onEdge);
  EXPECT_EQ(onEdge.x, 100.0);  // exactly at the width: kept, and not drawn
  EXPECT_EQ(onEdge.y, 31.0);
  EXPECT_EQ(WhitePixels(), (Pixels{{0, 11}}));
  StepParticle(onEdge);
  EXPECT_EQ(onEdge.x, 0.0);
  EXPECT_EQ(onEdge.y, 32.0);
}

TEST_F(StepParticleTest, WrapsToZeroOnlyStrictlyPastTheBottomEdge) {
  Particle past = MakeParticle(40.0, 49.75, 1.0, 0.5);
  StepParticle(past);
  EXPECT_EQ(past.x, 41.0);
  EXPECT_EQ(past.y, 0.0);
  EXPECT_EQ(WhitePixels(), (Pixels{{41, 0}}));

  Particle onEdge = MakeParticle(60.0, 49.0, 1.0, 1.0);
  StepParticle(onEdge);
  EXPECT_EQ(onEdge.y, 50.0);
  EXPECT_EQ(WhitePixels(), (Pixels{{41, 0}}));

  Particle corner = MakeParticle(99.9, 49.9, 0.2, 0.2);
  StepParticle(corner);
  EXPECT_EQ(corner.x, 0.0);
  EXPECT_EQ(corner.y, 0.0);
  EXPECT_EQ(WhitePixels(), (Pixels{{41, 0}, {0, 0}}));
}

TEST_F(StepParticleTest, NeverWrapsAtTheLeftEdge) {
  Particle p = MakeParticle(0.25, 5.0, -0.5, 0.5);
  StepParticle(p);
  EXPECT_EQ(p.x, -0.25);  // still rounds into column 0
  EXPECT_EQ(WhitePixels(), (Pixels{{0, 6}}));
  std::memset(Frame(), 0, 100 * 50 * 4);
  for (int i = 0; i < 1000; ++i) StepParticle(p);
  EXPECT_EQ(p.x, -0.25 - 500.0);  // gone for good, never reset
  EXPECT_TRUE(WhitePixels().empty());
}

TEST_F(StepParticleTest, AddsTheStepInExtendedPrecision) {
  SetUpDesktop(4096, 4);
  // 2048 + 2^-42 + 2^-57 rounds to the midpoint 2048 + 2^-42 in extended
  // precision and then to the even 2048; a direct double sum gives 2048 + 2^-41.
  Particle p = MakeParticle(2048.0, 1.0, 0x1p-42 + 0x1p-57, 0.5);
  StepParticle(p);
  EXPECT_EQ(p.x, 2048.0);
}

}  // namespace

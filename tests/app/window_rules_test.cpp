// The window thread's two rules that need no window: when a slow paint holds
// back the next one, and when losing activation ends the saver.
#include <gtest/gtest.h>

#include "app/activation.h"
#include "app/paint_hold.h"

namespace {

constexpr double kPeriod = 0.017;

TEST(PaintHold, APaintWithinThePeriodHoldsNothing) {
  // A 10 ms paint: the tick 17 ms after it began paints.
  const double next = NextPaintAt(1.000, 1.010, kPeriod);
  EXPECT_DOUBLE_EQ(next, 1.010);
  EXPECT_TRUE(PaintDue(1.017, next));
}

TEST(PaintHold, ASlowPaintHoldsOnlyForThePartBeyondThePeriod) {
  // A 30 ms paint holds 13 ms.
  const double next = NextPaintAt(1.000, 1.030, kPeriod);
  EXPECT_NEAR(next, 1.043, 1e-12);
  EXPECT_FALSE(PaintDue(1.042, next));
  EXPECT_TRUE(PaintDue(1.0431, next));
}

TEST(PaintHold, AJumpingClockNeverStopsThePresentation) {
  // Forward: a "paint" of an hour holds a quarter of a second at most.
  EXPECT_DOUBLE_EQ(NextPaintAt(10.0, 3610.0, kPeriod), 3610.25);
  // Backward during the paint: no hold.
  EXPECT_DOUBLE_EQ(NextPaintAt(10.0, 5.0, kPeriod), 5.0);
  // Backward after it: a tick long before the time set paints at once.
  EXPECT_TRUE(PaintDue(3000.0, 3610.25));
  EXPECT_FALSE(PaintDue(3610.0, 3610.25));
}

TEST(Activation, OnlyALossAfterBeingActiveEndsTheSaver) {
  ActivationWatch watch;
  EXPECT_FALSE(LosesActivation(watch, false));  // still being set up
  EXPECT_FALSE(LosesActivation(watch, true));
  EXPECT_TRUE(LosesActivation(watch, false));
  EXPECT_TRUE(LosesActivation(watch, false));  // each message of the loss says so
}

}  // namespace

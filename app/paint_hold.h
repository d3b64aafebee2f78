// When the window thread paints next. A video wall's or an 8K frame can take
// longer to paint than the timer's period; back to back, such paints would
// leave the thread no time for input. So a paint longer than the period holds
// the next one back by the part beyond the period; a paint within the period
// never delays the next tick.
#pragma once

// The longest hold: a clock that jumps, or a machine that wakes from sleep,
// must not stop the presentation.
constexpr double kMostPaintHold = 0.25;  // seconds

// When the next paint may start, for a paint from `start` to `end` (seconds
// on one clock) with ticks `period` seconds apart.
double NextPaintAt(double start, double end, double period);

// Whether a tick at `now` paints, given the time NextPaintAt gave. A clock
// that went back further than any hold paints at once.
bool PaintDue(double now, double nextPaintAt);

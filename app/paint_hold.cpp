#include "app/paint_hold.h"

#include <algorithm>

double NextPaintAt(double start, double end, double period) {
  const double beyondPeriod = (end - start) - period;
  return end + std::min(std::max(beyondPeriod, 0.0), kMostPaintHold);
}

bool PaintDue(double now, double nextPaintAt) {
  return now >= nextPaintAt || nextPaintAt - now > kMostPaintHold;
}

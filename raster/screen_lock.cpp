// ScreenLock sets one lock bit and must keep the other, so here every change is one atomic
// read-modify-write. The primitives' half of the protocol is inline, in raster/draw_steps.h.
#include "raster/raster_internal.h"

void ScreenLock() {
  ScreenMode* mode = CurrentScreenMode();
  if (!mode) return;
  const uint32_t before = mode->lockBits.fetch_or(kLockHeld, std::memory_order_acq_rel);
  if (!(before & kLockHeld)) CallDriverLock(mode);
}

void ScreenUnlock(int32_t firstRow, int32_t lastRow) {
  DrawContext* context = GetDrawContext();
  ScreenMode* mode = CurrentScreenMode();
  if (!mode) return;
  if (firstRow < 0) firstRow = 0;
  if (lastRow < 0) lastRow = mode->height - 1;
  const int32_t workPage = context ? context->workPage : 0;
  if (workPage == mode->visiblePage && firstRow <= lastRow && lastRow < mode->height) {
    MarkDirtyRows(mode, firstRow, lastRow);
  }
  if ((mode->lockBits.load(std::memory_order_acquire) & kLockHeld) &&
      ReleaseLockBits(mode, kLockHeld)) {
    CallDriverUnlock(mode);
  }
}

void* ScreenPointer() {
  DrawContext* context = GetDrawContext();
  if (!context || !CurrentScreenMode()) return nullptr;
  if (!SelectTarget(context, nullptr)) return nullptr;
  SelectPixelRoutines(context, context->foreground);
  return context->rows[0];
}

// The screen lock and the dirty rows. The lock is a pair of bits in the
// mode's flag word that both threads change, so every change is one atomic
// operation; with the off-screen driver it excludes nothing.
#include "raster/raster.h"

namespace {

void CallLockHook(ScreenMode* mode) {
  if (mode->driver && mode->driver->lock) mode->driver->lock(mode);
}

void CallUnlockHook(ScreenMode* mode) {
  if (mode->driver && mode->driver->unlock) mode->driver->unlock(mode);
}

// Rows are clamped to the screen; an empty or reversed range marks nothing.
void MarkDirty(ScreenMode* mode, int64_t firstRow, int64_t lastRow) {
  if (firstRow < 0) firstRow = 0;
  if (lastRow >= mode->height) lastRow = mode->height - 1;
  for (int64_t y = firstRow; y <= lastRow; ++y) {
    mode->dirtyLines[y].store(1, std::memory_order_relaxed);
  }
}

// Clears both lock bits; true when the lock was held (by the given bit).
bool ReleaseLockBits(ScreenMode* mode, uint32_t heldBit) {
  const uint32_t before = mode->flags.fetch_and(~(kLockHeld | kAutoLock), std::memory_order_acq_rel);
  return (before & heldBit) != 0;
}

}  // namespace

void ScreenLock() {
  ScreenMode* mode = CurrentScreenMode();
  if (!mode) return;
  const uint32_t before = mode->flags.fetch_or(kLockHeld, std::memory_order_acq_rel);
  if (!(before & kLockHeld)) CallLockHook(mode);
}

void ScreenUnlock(int32_t firstRow, int32_t lastRow) {
  DrawContext* context = GetDrawContext();
  ScreenMode* mode = CurrentScreenMode();
  if (!mode) return;
  if (firstRow < 0) firstRow = 0;
  if (lastRow < 0) lastRow = mode->height - 1;
  const int32_t workPage = context ? context->workPage : 0;
  if (workPage == mode->visiblePage && firstRow <= lastRow && lastRow < mode->height) {
    MarkDirty(mode, firstRow, lastRow);
  }
  if ((mode->flags.load(std::memory_order_acquire) & kLockHeld) &&
      ReleaseLockBits(mode, kLockHeld)) {
    CallUnlockHook(mode);
  }
}

void BeginDraw() {
  ScreenMode* mode = CurrentScreenMode();
  if (!mode) return;
  uint32_t flags = mode->flags.load(std::memory_order_relaxed);
  do {
    if (flags & (kLockHeld | kAutoLock)) return;
  } while (!mode->flags.compare_exchange_weak(flags, flags | kLockHeld | kAutoLock,
                                              std::memory_order_acq_rel,
                                              std::memory_order_relaxed));
  CallLockHook(mode);
}

void MarkRowsDrawn(DrawContext* context, int32_t firstRow, int32_t rowCount) {
  ScreenMode* mode = CurrentScreenMode();
  if (!mode || rowCount <= 0 || context->rows == nullptr) return;
  if (context->rows[0] != mode->frameBuffer || (context->contextFlags & kTargetIsImage)) return;
  MarkDirty(mode, firstRow, static_cast<int64_t>(firstRow) + rowCount - 1);
}

void EndDraw(DrawContext* context, int32_t firstRow, int32_t rowCount) {
  MarkRowsDrawn(context, firstRow, rowCount);
  ScreenMode* mode = CurrentScreenMode();
  if (!mode) return;
  if ((mode->flags.load(std::memory_order_acquire) & kAutoLock) &&
      ReleaseLockBits(mode, kAutoLock)) {
    CallUnlockHook(mode);
  }
}

void* ScreenPointer() {
  DrawContext* context = GetDrawContext();
  if (!context || !CurrentScreenMode()) return nullptr;
  if (!SelectTarget(context, nullptr)) return nullptr;
  SelectPixelRoutines(context, context->foreground);
  return context->rows[0];
}

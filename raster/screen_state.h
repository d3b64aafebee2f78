// The screen mode, its driver and each thread's drawing context: the library's own records.
#pragma once

#include <atomic>
#include <cstdint>

#include "runtime/runtime.h"

struct ScreenMode;
struct RasterFont;

struct ScreenDriver {
  const char* name;
  bool (*init)(ScreenMode* mode);  // true when the driver attached
  void (*exit)(ScreenMode* mode);
  void (*lock)(ScreenMode* mode);
  void (*unlock)(ScreenMode* mode);
  void (*setPaletteEntry)(ScreenMode* mode, int32_t index, uint32_t colour);
};

constexpr uint32_t kLockHeld = 0x1;
constexpr uint32_t kAutoLock = 0x2;
constexpr uint32_t kAlphaPrimitives = 0x8;
constexpr uint32_t kSimdAvailable = 0x1000000;  // a faster blend is in use
constexpr uint32_t kHighColourRequested = 0x20000000;

// Beside what the off-screen driver uses, the record holds the state of window drivers,
// palettes at 8 bits or less, text output and input, which the mode set allocates and frees
// and nothing here reads: the record is the whole described mode, field for field, so a
// window driver can be added without a new layout.
constexpr int32_t kEventCapacity = 128;
constexpr int32_t kEventRecordSize = 20;
constexpr int32_t kTextCellSize = 12;

struct ScreenMode {
  int32_t id;
  int32_t modeNumber;
  uint8_t** pages;
  int32_t pageCount;
  int32_t visiblePage;
  uint8_t* frameBuffer;
  int32_t width;
  int32_t height;
  int32_t depth;
  int32_t bytesPerPixel;
  int32_t pitch;
  uint32_t* palette;         // 256 entries
  uint32_t* devicePalette;   // 256 entries
  uint8_t* colourMap;        // 16 bytes
  // One byte per row, written from every drawing thread, hence atomic.
  std::atomic<uint8_t>* dirtyLines;
  const ScreenDriver* driver;
  uint32_t colourMask;
  const uint32_t* defaultPalette;
  int32_t scanlineSize;
  const RasterFont* font;
  int32_t textColumns;
  int32_t textRows;
  uint8_t* keyState;  // 128 bytes
  uint8_t** textCells;  // one cell buffer per page
  uint8_t* events;      // kEventCapacity records of kEventRecordSize bytes
  int32_t eventRead;
  int32_t eventWrite;
  RuntimeMutex* eventGuard;
  // The lock bits (kLockHeld, kAutoLock) have a byte of their own: a primitive sets or clears
  // both with one store and never touches the mode bits, which the other thread may be
  // changing. ModeFlags gives the two together.
  std::atomic<uint32_t> flags;
  std::atomic<uint8_t> lockBits;
};

inline uint32_t ModeFlags(const ScreenMode* mode) {
  return mode->flags.load(std::memory_order_relaxed) |
         mode->lockBits.load(std::memory_order_relaxed);
}

// The current mode, null while none is set. Every primitive asks for it
// several times, so the question is answered inline.
extern std::atomic<ScreenMode*> g_currentScreenMode;
inline ScreenMode* CurrentScreenMode() {
  return g_currentScreenMode.load(std::memory_order_acquire);
}

struct DrawContext;
using PutPixelRoutine = void (*)(DrawContext* context, int32_t x, int32_t y, uint32_t colour);
using GetPixelRoutine = uint32_t (*)(DrawContext* context, int32_t x, int32_t y);
using FillSpanRoutine = void (*)(uint8_t* address, uint32_t colour, int32_t count);

struct AlphaRoutineTable;

constexpr uint32_t kReselectScreen = 0x1;
constexpr uint32_t kTargetIsImage = 0x2;

// Per-thread drawing state, calloc'ed in thread slot kDrawSlot.
struct DrawContext {
  int32_t modeId;
  int32_t workPage;
  uint8_t** rows;
  int32_t rowCapacity;
  int32_t targetBytesPerPixel;
  int32_t targetPitch;
  const ImageBuffer* target;
  float lastX;
  float lastY;
  int32_t viewX;
  int32_t viewY;
  int32_t viewWidth;
  int32_t viewHeight;
  int32_t savedScreenView[4];
  // The world-coordinate window: part of the context's described layout,
  // never active here, since no call sets it.
  float windowX1;
  float windowY1;
  float windowX2;
  float windowY2;
  uint32_t foreground;
  uint32_t background;
  PutPixelRoutine putPixel;
  GetPixelRoutine getPixel;
  FillSpanRoutine fillSpan;
  const AlphaRoutineTable* alphaRoutines;
  uint32_t contextFlags;
  // The image target's size as last selected: an image is selected again
  // when its address or any of these differ, so a freed image whose address
  // comes back for another image is never drawn through a stale row table.
  int32_t targetWidth;
  int32_t targetHeight;
  // The pixel size the routines above were chosen for (0: none yet).
  int32_t routinesBytesPerPixel;
};

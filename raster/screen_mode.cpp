// Setting and tearing down the screen mode: the pages and tables, the off-screen driver, the
// runtime hooks, and the teardown at program end.
#include <cstdlib>
#include <cstring>
#include <new>

#include "raster/allocation.h"
#include "raster/blend.h"
#include "raster/graphics_hooks.h"
#include "raster/raster_internal.h"

namespace {

constexpr int32_t kModeBySize = -1;
constexpr int32_t kModeText = 0;
constexpr int32_t kFlagsProgramEnd = static_cast<int32_t>(0x80000000u);
constexpr int32_t kModeFlagAlphaPrimitives = 0x40;
constexpr int32_t kModeFlagHighColour = 0x2;
constexpr int32_t kMaxScreenSide = 0xFFFF;  // ModeInfo holds 16-bit sizes

int32_t g_nextModeId = 1;
bool g_exitHandlerRegistered = false;

// Palette at 8 bits or less: a grey ramp until someone sets entries.
struct DefaultPaletteTable {
  uint32_t entries[256];
  constexpr DefaultPaletteTable() : entries() {
    for (uint32_t i = 0; i < 256; ++i) entries[i] = 0xFF000000u | (i * 0x010101u);
  }
};
constexpr DefaultPaletteTable kDefaultPalette;

// Text output is not part of this library; the descriptor keeps the glyph
// size that text columns and rows are counted in.
constexpr RasterFont kBuiltinFont = {8, 8, nullptr};

int32_t NormalisedDepth(int32_t depth) {
  if (depth == 15) return 16;
  if (depth == 24) return 32;
  return depth;
}

bool ValidDepth(int32_t depth) {
  switch (depth) {
    case 1: case 2: case 4: case 8: case 15: case 16: case 24: case 32:
      return true;
    default:
      return false;
  }
}

// Frees everything a mode owns; works on a partly built mode too.
void FreeMode(ScreenMode* mode) {
  if (mode->textCells) {
    for (int32_t i = 0; i < mode->pageCount; ++i) RasterFree(mode->textCells[i]);
    RasterFree(mode->textCells);
  }
  if (mode->pages) {
    for (int32_t i = 0; i < mode->pageCount; ++i) RasterFree(mode->pages[i]);
    RasterFree(mode->pages);
  }
  RasterFree(mode->palette);
  RasterFree(mode->devicePalette);
  RasterFree(mode->colourMap);
  RasterFree(mode->dirtyLines);
  RasterFree(mode->keyState);
  RasterFree(mode->events);
  MutexDestroy(mode->eventGuard);
  mode->~ScreenMode();
  RasterFree(mode);
}

void TearDownCurrentMode() {
  ScreenMode* mode = g_currentScreenMode.load(std::memory_order_acquire);
  if (!mode) return;
  if (mode->driver && mode->driver->exit) mode->driver->exit(mode);
  g_currentScreenMode.store(nullptr, std::memory_order_release);
  FreeMode(mode);
}

void NormaliseDepth(ScreenMode* mode, int32_t depth) {
  mode->depth = NormalisedDepth(depth);
  mode->colourMask = mode->depth == 16   ? 0xFFFFu
                     : mode->depth == 32 ? 0xFFFFFFFFu
                                         : (1u << mode->depth) - 1;
  mode->bytesPerPixel = (mode->depth + 7) / 8;
  mode->pitch = mode->bytesPerPixel * mode->width;
}

// Pages are left undefined here; the clear at the end of the mode set fills them.
bool AllocateModeMemory(ScreenMode* mode, int32_t pageCount) {
  const size_t pageSize = static_cast<size_t>(mode->pitch) * static_cast<size_t>(mode->height);
  const size_t rows = static_cast<size_t>(mode->height) * static_cast<size_t>(mode->scanlineSize);
  const size_t cells = static_cast<size_t>(mode->textColumns) * static_cast<size_t>(mode->textRows);

  mode->pages = static_cast<uint8_t**>(RasterAllocateZeroed(pageCount, sizeof(uint8_t*)));
  mode->textCells = static_cast<uint8_t**>(RasterAllocateZeroed(pageCount, sizeof(uint8_t*)));
  if (!mode->pages || !mode->textCells) return false;
  mode->pageCount = pageCount;
  for (int32_t i = 0; i < pageCount; ++i) {
    mode->pages[i] = static_cast<uint8_t*>(RasterAllocate(pageSize));
    if (!mode->pages[i]) return false;
    mode->textCells[i] =
        static_cast<uint8_t*>(RasterAllocateZeroed(cells ? cells : 1, kTextCellSize));
    if (!mode->textCells[i]) return false;
  }
  mode->frameBuffer = mode->pages[0];
  mode->visiblePage = 0;

  mode->dirtyLines =
      static_cast<std::atomic<uint8_t>*>(RasterAllocateZeroed(rows, sizeof(std::atomic<uint8_t>)));
  mode->palette = static_cast<uint32_t*>(RasterAllocateZeroed(256, sizeof(uint32_t)));
  mode->devicePalette = static_cast<uint32_t*>(RasterAllocateZeroed(256, sizeof(uint32_t)));
  mode->colourMap = static_cast<uint8_t*>(RasterAllocateZeroed(16, 1));
  mode->keyState = static_cast<uint8_t*>(RasterAllocateZeroed(128, 1));
  mode->events =
      static_cast<uint8_t*>(RasterAllocateZeroed(kEventCapacity, kEventRecordSize));
  if (!mode->dirtyLines || !mode->palette || !mode->devicePalette || !mode->colourMap ||
      !mode->keyState || !mode->events) {
    return false;
  }
  mode->eventGuard = MutexCreate();
  return mode->eventGuard != nullptr;
}

void ExitHandler() { RasterProgramEnd(RuntimeOtherThreadsRunning()); }

void ClearAllPages(ScreenMode* mode, const DrawContext* context) {
  for (int32_t page = 0; page < mode->pageCount; ++page) {
    for (int32_t y = 0; y < mode->height; ++y) {
      context->fillSpan(mode->pages[page] + static_cast<size_t>(y) * mode->pitch,
                        context->background, context->viewWidth);
    }
  }
}

// Applies a described mode. Mode number 0 with no size returns to text mode:
// the current mode is torn down and the hooks are cleared.
void ApplyMode(const ModeInfo* info, int32_t modeNumber, int32_t pageCount, int32_t flags) {
  if (pageCount < 1) pageCount = 1;
  TearDownCurrentMode();

  if (modeNumber == kModeText || info == nullptr || info->width == 0) {
    RuntimeSetHooks(nullptr);
    return;
  }

  RuntimeSetHooks(GraphicsHooks());
  void* record = RasterAllocateZeroed(1, sizeof(ScreenMode));
  if (!record) {
    RuntimeSetHooks(nullptr);
    SetErrorNumber(1);
    return;
  }
  ScreenMode* mode = new (record) ScreenMode();
  mode->id = g_nextModeId++;
  mode->modeNumber = modeNumber;
  mode->width = info->width;
  mode->height = info->height;
  mode->scanlineSize = info->scanlineSize;
  mode->defaultPalette = info->defaultPalette;
  mode->font = info->font;
  mode->textColumns = info->textColumns;
  mode->textRows = info->textRows;
  NormaliseDepth(mode, info->depth);

  if (!AllocateModeMemory(mode, pageCount)) {
    FreeMode(mode);
    RuntimeSetHooks(nullptr);
    SetErrorNumber(1);
    return;
  }

  uint32_t modeFlags = 0;
  if (flags != kOffscreenDriver) {
    if (flags & kModeFlagAlphaPrimitives) modeFlags |= kAlphaPrimitives;
    if (flags & kModeFlagHighColour) modeFlags |= kHighColourRequested;
  }
  if (ActiveBlendIsSimd()) modeFlags |= kSimdAvailable;
  mode->flags.store(modeFlags, std::memory_order_relaxed);
  mode->lockBits.store(0, std::memory_order_relaxed);

  if (flags == kOffscreenDriver) {
    mode->driver = &kNullDriver;
  } else {
    // Window drivers belong to the presentation side, which this library
    // leaves to its users: no other driver can attach.
    FreeMode(mode);
    RuntimeSetHooks(nullptr);
    SetErrorNumber(1);
    return;
  }

  g_currentScreenMode.store(mode, std::memory_order_release);

  DrawContext* context = GetDrawContext();
  if (!context) {
    TearDownCurrentMode();
    RuntimeSetHooks(nullptr);
    SetErrorNumber(1);
    return;
  }
  ClearAllPages(mode, context);

  if (!g_exitHandlerRegistered) {
    g_exitHandlerRegistered = true;
    std::atexit(ExitHandler);
  }
}

}  // namespace

uint64_t ModePageBytes(int32_t width, int32_t height, int32_t depth, uint64_t largestBlock) {
  if (width <= 0 || height <= 0 || !ValidDepth(depth)) return 0;
  const uint64_t bytesPerPixel = (static_cast<uint64_t>(NormalisedDepth(depth)) + 7) / 8;
  const uint64_t pitch = bytesPerPixel * static_cast<uint64_t>(width);
  const uint64_t page = pitch * static_cast<uint64_t>(height);
  return page <= largestBlock ? page : 0;
}

// Without lock hooks to pair up, a primitive's lock steps are plain stores (draw_steps.h).
const ScreenDriver kNullDriver = {"Null", nullptr, nullptr, nullptr, nullptr, nullptr};

std::atomic<ScreenMode*> g_currentScreenMode{nullptr};

void SetScreenMode(int32_t width, int32_t height, int32_t depth, int32_t pageCount,
                   int32_t flags, int32_t refreshRate) {
  (void)refreshRate;  // only window drivers use it
  if (width <= 0 || height <= 0 || width > kMaxScreenSide || height > kMaxScreenSide ||
      !ValidDepth(depth)) {
    SetErrorNumber(1);
    return;
  }
  // A page is one block and every row is addressed from its start: on a
  // 32-bit machine 32768 x 32768 at 32 bits is 4 GiB, which a 32-bit size
  // would wrap to 0.
  if (ModePageBytes(width, height, depth, static_cast<uint64_t>(PTRDIFF_MAX)) == 0) {
    SetErrorNumber(1);
    return;
  }
  ModeInfo info = {};
  info.width = static_cast<uint16_t>(width);
  info.height = static_cast<uint16_t>(height);
  info.depth = static_cast<uint8_t>(depth);
  info.scanlineSize = 1;
  info.defaultPalette = kDefaultPalette.entries;
  info.font = &kBuiltinFont;
  info.textColumns = static_cast<uint8_t>(width / static_cast<int32_t>(kBuiltinFont.glyphWidth));
  info.textRows = static_cast<uint8_t>(height / static_cast<int32_t>(kBuiltinFont.glyphHeight));
  ApplyMode(&info, kModeBySize, pageCount, flags);
}

void RasterProgramEnd(bool otherThreadsRunning) {
  // The calling thread's own context is nobody else's business.
  RasterThreadEnd();
  if (otherThreadsRunning) {
    // Another thread may be inside a primitive on these very pages; the process is ending,
    // so the mode stays where it is, still reachable.
    RuntimeSetHooks(nullptr);
    return;
  }
  if (!CurrentScreenMode()) {
    RuntimeSetHooks(nullptr);
    return;
  }
  ApplyMode(nullptr, kModeText, 1, kFlagsProgramEnd);
}

// SaverState: the saver's one global record, shared by the start-up, the
// animation on the main thread and the window thread. Its Win32 types are
// mirrored by portable records of the same layout (checked in win32_types.h),
// so the portable half reaches them without the platform headers.
#pragma once

#include <cstdint>

#include "app/desktop_layout.h"
#include "app/saver_rect.h"
#include "runtime/strings.h"

struct SaverPoint {  // POINT
  int32_t x;
  int32_t y;
};

struct SaverMessage {  // MSG
  void* window;
  uint32_t message;
  uintptr_t wParam;
  intptr_t lParam;
  uint32_t time;
  SaverPoint point;
};

struct SaverPaint {  // PAINTSTRUCT
  void* dc;
  int32_t erase;
  SaverRect paintRect;
  int32_t restore;
  int32_t incUpdate;
  uint8_t reserved[32];
};

struct SaverWindowClass {  // WNDCLASSA
  uint32_t style;
  void* windowProc;
  int32_t classExtra;
  int32_t windowExtra;
  void* instance;
  void* icon;
  void* cursor;
  void* background;
  const char* menuName;
  const char* className;
};

// The bitmap description with which the FrameBuffer is handed to the
// platform: the layout of BITMAPV4HEADER.
struct DibHeader {
  uint32_t bV4Size;
  int32_t bV4Width;
  int32_t bV4Height;
  uint16_t bV4Planes;
  uint16_t bV4BitCount;
  uint32_t bV4V4Compression;
  uint32_t bV4SizeImage;
  int32_t bV4XPelsPerMeter;
  int32_t bV4YPelsPerMeter;
  uint32_t bV4ClrUsed;
  uint32_t bV4ClrImportant;
  uint32_t bV4RedMask;
  uint32_t bV4GreenMask;
  uint32_t bV4BlueMask;
  uint32_t bV4AlphaMask;
  uint32_t bV4CSType;
  int32_t bV4Endpoints[9];  // CIEXYZTRIPLE
  uint32_t bV4GammaRed;
  uint32_t bV4GammaGreen;
  uint32_t bV4GammaBlue;
};
static_assert(sizeof(DibHeader) == 108, "DibHeader has the 108-byte BITMAPV4HEADER layout");

constexpr uint32_t kBitFields = 3;  // BI_BITFIELDS

// The FrameBuffer of width × height Pixel32 values as the platform's bitmap
// functions see it: 32 bits per pixel, rows from the top down (a negative
// height), the image size height × width × 4 in unsigned 32-bit arithmetic,
// and four-bit colour masks (red bits 8-11, green 4-7, blue 0-3, alpha
// 12-15) that the platform may rewrite while taking the snapshot.
void DescribeFrameBuffer(DibHeader& dib, uint32_t width, uint32_t height);

struct SaverState {
  SaverRect windowRect;         // desktop (full-screen) or preview host, screen coordinates
  DibHeader dib;                // the FrameBuffer's pixels as the platform sees them
  StringDescriptor className;   // "SCREENSAVERCLASS"
  void* instance;               // the program's module
  void* paintDc;                // the paint in progress
  void* snapshotBitmap;         // receives the desktop copy
  void* memoryDc;               // holds snapshotBitmap
  void* window;                 // the saver window
  void* parentWindow;           // the handle from the command line, null if none
  int32_t quit;                 // 1 once the saver window is closed or gone; see SaverQuitRaised
  int32_t preview;              // 1 in preview mode
  SaverMessage message;         // the message loop's buffer
  SaverPoint savedCursor;       // cursor position when the window was created
  SaverPaint paint;             // the paint in progress
  uint32_t width;               // desktop width in pixels
  uint32_t height;              // desktop height in pixels
  uint32_t windowStyle;
  uint32_t windowExStyle;
  SaverWindowClass windowClass;
  // The screen area the frame shows (its size is width × height) and where
  // each monitor lies in the frame. Written with width and height.
  DesktopLayout layout;
  // Full-screen, the screen area the window covers: every monitor, even
  // where memory left room only for a smaller frame (the frame is then
  // stretched over it). Written with the layout.
  SaverRect screenArea;
  // 1 where memory left no room for the backdrop: the blue field alone.
  int32_t plainField;
  // Where a change of the monitors stands; see SaverDesktopChange.
  int32_t desktopChange;
};

extern SaverState saverState;

// Every field zero, the class name empty.
void SaverStateClear();

// The quit flag is one 32-bit word written once by the window thread and read
// once per frame by the main thread. The accesses are atomic (relaxed) so the
// word can be shared without a lock; nothing else is ordered by it.
inline int32_t SaverQuitRaised() {
  return __atomic_load_n(&saverState.quit, __ATOMIC_RELAXED);
}
inline void SaverRaiseQuit() {
  __atomic_store_n(&saverState.quit, 1, __ATOMIC_RELAXED);
}

// A change of the monitors is followed between two frames. The window thread
// asks (and paints nothing from then on), the main thread lays the desktop
// out anew, makes the frame and backdrop and says it has (writing the layout,
// the sizes and the DibHeader before it does), and the window thread moves
// the window over the new desktop and paints again. So no paint ever reads a
// frame that is being replaced.
enum : int32_t {
  kDesktopSteady = 0,       // the window thread paints
  kDesktopChangeAsked = 1,  // set by the window thread; no paint until steady
  kDesktopChangeMade = 2,   // set by the main thread; the new layout is in SaverState
};
inline int32_t SaverDesktopChange() {
  return __atomic_load_n(&saverState.desktopChange, __ATOMIC_ACQUIRE);
}
inline void SaverSetDesktopChange(int32_t state) {
  __atomic_store_n(&saverState.desktopChange, state, __ATOMIC_RELEASE);
}

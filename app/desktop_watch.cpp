#include "app/desktop_watch.h"

#include "app/saver_state.h"
#include "app/win32_types.h"

namespace {

// What tells that the monitors changed, where no WM_DISPLAYCHANGE does.
struct DesktopSignature {
  int left, top, width, height, monitors;
  bool operator!=(const DesktopSignature& o) const {
    return left != o.left || top != o.top || width != o.width || height != o.height ||
           monitors != o.monitors;
  }
};

DesktopSignature ReadDesktopSignature() {
  return {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
          GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN),
          GetSystemMetrics(SM_CMONITORS)};
}

// The window thread's own: the desktop last laid out, and a change not yet
// asked for.
DesktopSignature seenDesktop;
bool desktopChangeWanted = false;

// Once the main thread has made the new frame: the window over the new
// desktop, topmost as before, without taking the focus. No longer maximized:
// Wine leaves a maximized window's size to a window manager, and without one
// the window would keep its old size; placed by its rectangle, as across
// several monitors, it covers the new desktop exactly.
void CoverNewDesktop(HWND window) {
  saverState.windowRect = saverState.screenArea;
  const SaverRect& r = saverState.windowRect;
  SetWindowLongA(window, GWL_STYLE, GetWindowLongA(window, GWL_STYLE) & ~WS_MAXIMIZE);
  SetWindowPos(window, HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOACTIVATE | SWP_FRAMECHANGED);
  InvalidateRect(window, nullptr, FALSE);
}

}  // namespace

void WatchDesktop() { seenDesktop = ReadDesktopSignature(); }

void WantDesktopChange() { desktopChangeWanted = true; }

void FollowDesktopChanges(HWND window) {
  if (saverState.preview != 0) return;
  const DesktopSignature now = ReadDesktopSignature();
  if (now != seenDesktop) desktopChangeWanted = true;
  switch (SaverDesktopChange()) {
    case kDesktopChangeMade:
      CoverNewDesktop(window);
      SaverSetDesktopChange(kDesktopSteady);
      break;
    case kDesktopSteady:
      if (desktopChangeWanted) {
        desktopChangeWanted = false;
        // Taken when asking: a change after this is seen as a new one.
        seenDesktop = now;
        SaverSetDesktopChange(kDesktopChangeAsked);
      }
      break;
    default:  // asked: the main thread is at work
      break;
  }
}

bool PaintsHeld() { return SaverDesktopChange() != kDesktopSteady; }

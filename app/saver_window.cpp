// The saver window and its thread: the class is registered, the window is
// created (a topmost full-screen popup, or a child of the preview host), and
// its message loop repaints it from the FrameBuffer every 17 ms until it is
// destroyed, which raises the quit flag that ends the animation.
#include "app/activation.h"
#include "app/desktop_watch.h"
#include "app/paint_hold.h"
#include "app/run_mode.h"
#include "app/saver_platform.h"
#include "app/win32_types.h"
#include "raster/raster.h"
#include "runtime/runtime.h"
#include "runtime/strings.h"

#include "app/window_procs.h"

namespace {

constexpr UINT kClassStyle = CS_VREDRAW | CS_HREDRAW | CS_PARENTDC | CS_SAVEBITS;
constexpr DWORD kPreviewStyle = WS_CHILD;
constexpr DWORD kFullScreenStyle = WS_POPUP | WS_VISIBLE | WS_MAXIMIZE;
constexpr DWORD kFullScreenExStyle = WS_EX_TOPMOST;
// Maximized, a popup is fitted to one monitor; across several monitors it is
// placed and sized by its rectangle alone.
constexpr DWORD kAllMonitorsStyle = WS_POPUP | WS_VISIBLE;
constexpr UINT_PTR kRepaintTimer = 1;
constexpr UINT kRepaintPeriod = 17;  // milliseconds
constexpr char kClassName[] = "SCREENSAVERCLASS";
constexpr char kWindowTitle[] = "SCREENSAVER";

static_assert(kClassStyle == 0x0883 && kPreviewStyle == 0x40000000u &&
                  kFullScreenStyle == 0x91000000u && kFullScreenExStyle == 8,
              "the saver window's styles");

// The rectangle the window covers: the preview host's, or full-screen the
// area of the frame's layout, every monitor.
void TakeWindowRect() {
  if (saverState.preview != 0) {
    GetWindowRect(AsWindow(saverState.parentWindow), AsWin32(&saverState.windowRect));
  } else {
    saverState.windowRect = saverState.screenArea;
  }
}

bool RegisterSaverClass() {
  SaverWindowClass& c = saverState.windowClass;
  c = SaverWindowClass{};
  c.style = kClassStyle;
  c.windowProc = reinterpret_cast<void*>(&SaverWindowProc);
  c.instance = saverState.instance;
  c.className = saverState.className.data;
  return RegisterClassA(AsWin32(&c)) != 0;
}

void ChooseWindowForm() {
  if (saverState.preview == 1) {
    saverState.windowStyle = kPreviewStyle;
    saverState.windowExStyle = 0;
    TakeWindowRect();
  } else {
    const SaverRect& area = saverState.screenArea;
    const bool oneMonitor = saverState.layout.monitorCount <= 1 &&
                            area.right - area.left == static_cast<int32_t>(saverState.width) &&
                            area.bottom - area.top == static_cast<int32_t>(saverState.height);
    saverState.windowStyle = oneMonitor ? kFullScreenStyle : kAllMonitorsStyle;
    saverState.windowExStyle = kFullScreenExStyle;
    TakeWindowRect();
    SetCursor(nullptr);
  }
}

// A real window whose top-level window stands on the desktop; the reserved
// parent values, the desktop itself and message-only windows are never shown.
bool ShownOnTheDesktop(HWND window) {
  if (!IsWindow(window)) return false;
  HWND topLevel = GetAncestor(window, GA_ROOT);
  return topLevel != nullptr && GetAncestor(topLevel, GA_PARENT) == GetDesktopWindow();
}

// Preview mode needs a host to live in: without one nothing would ever
// destroy the window, and the animation would run on unseen.
bool HostMissing() {
  return saverState.preview == 1 && !ShownOnTheDesktop(AsWindow(saverState.parentWindow));
}

// Full-screen, the named window owns the saver's only when it is shown on the
// desktop: under any other (a message-only window, say) no one would see the
// saver and no input would reach it.
HWND ParentForCreation() {
  HWND named = AsWindow(saverState.parentWindow);
  if (saverState.preview == 1 || ShownOnTheDesktop(named)) return named;
  return nullptr;
}

bool CreateSaverWindow() {
  // A preview child fills its host from the origin; the full-screen popup
  // covers its rectangle exactly, left of or above the origin included.
  const SaverRect& r = saverState.windowRect;
  const bool preview = saverState.preview == 1;
  HWND window = CreateWindowExA(saverState.windowExStyle, saverState.className.data, kWindowTitle,
                                saverState.windowStyle, preview ? 0 : r.left, preview ? 0 : r.top,
                                preview ? r.right : r.right - r.left,
                                preview ? r.bottom : r.bottom - r.top, ParentForCreation(), nullptr,
                                static_cast<HINSTANCE>(saverState.instance), nullptr);
  saverState.window = window;
  return window != nullptr;
}

void RunMessageLoop() {
  MSG* message = AsWin32(&saverState.message);
  while (GetMessageA(message, nullptr, 0, 0) == 1) {
    TranslateMessage(message);
    DispatchMessageA(message);
  }
}

// ---- the window procedure's handlers ----------------------------------------

void CloseOnInput(HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); }

// No threshold: a move of one pixel from where the cursor rested at creation
// is enough. The message's own coordinates are not used.
void CloseOnCursorMove(HWND window) {
  POINT cursor;
  GetCursorPos(&cursor);
  if (cursor.x != saverState.savedCursor.x || cursor.y != saverState.savedCursor.y) {
    CloseOnInput(window);
  }
}

// Full-screen only; consumes nothing, every message goes on to the dispatch.
void HandleInput(HWND window, UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      CloseOnInput(window);
      break;
    case WM_MOUSEMOVE:
      CloseOnCursorMove(window);
      break;
    default:
      break;
  }
}

ActivationWatch activation;

// Another program that takes the foreground shows above the saver and gets
// its keys: a full-screen saver ends then.
void CloseOnActivationLoss(HWND window, UINT message, WPARAM wParam) {
  const bool active = message == WM_ACTIVATE ? LOWORD(wParam) != WA_INACTIVE : wParam != 0;
  if (LosesActivation(activation, active)) CloseOnInput(window);
}

LRESULT OnCreate(HWND window) {
  GetCursorPos(AsWin32(&saverState.savedCursor));
  WatchDesktop();
  SetTimer(window, kRepaintTimer, kRepaintPeriod, nullptr);
  TakeWindowRect();
  return 0;
}

// A close ends the saver at once: the animation stops and the program ends
// while the window is still being taken down. Under Wine on a display
// without a window manager, hiding a full-screen window waits 2 s for a
// manager that never answers; input must end the saver sooner than that.
LRESULT OnClose(HWND window, WPARAM wParam, LPARAM lParam) {
  SaverRaiseQuit();
  return DefWindowProcA(window, WM_CLOSE, wParam, lParam);
}

LRESULT OnDestroy() {
  PostQuitMessage(0);
  SaverRaiseQuit();
  return 0;
}

// The whole FrameBuffer, scaled to the window; a frame half drawn by the main
// thread may show, which is accepted.
LRESULT OnPaint(HWND window) {
  SaverState& s = saverState;
  HDC dc = BeginPaint(window, AsWin32(&s.paint));
  s.paintDc = dc;
  // While the frame is being replaced there is nothing to read.
  if (PaintsHeld()) {
    EndPaint(window, AsWin32(&s.paint));
    return 0;
  }
  // Shrunk into a preview, the default mode ANDs the pixels that fall on
  // one, which darkens the picture and loses every snowflake.
  SetStretchBltMode(dc, COLORONCOLOR);
  ScreenLock();
  StretchDIBits(dc, 0, 0, s.windowRect.right - s.windowRect.left,
                s.windowRect.bottom - s.windowRect.top, 0, 0, static_cast<int>(s.width),
                static_cast<int>(s.height), ScreenPointer(), AsBitmapInfo(&s.dib), DIB_RGB_COLORS,
                SRCCOPY);
  ScreenUnlock(-1, -1);
  EndPaint(window, AsWin32(&s.paint));
  return 0;
}

// The window thread's clock, in seconds: before it, a tick paints nothing.
double nextPaintAt = 0.0;

LRESULT OnTimer(HWND window) {
  FollowDesktopChanges(window);
  if (PaintsHeld()) return 0;
  const double start = RuntimeTimer();
  if (!PaintDue(start, nextPaintAt)) return 0;
  InvalidateRect(window, nullptr, FALSE);
  UpdateWindow(window);
  GdiFlush();
  nextPaintAt = NextPaintAt(start, RuntimeTimer(), kRepaintPeriod / 1000.0);
  return 0;
}

LRESULT OnDisplayChange(HWND window, WPARAM wParam, LPARAM lParam) {
  WantDesktopChange();
  return DefWindowProcA(window, WM_DISPLAYCHANGE, wParam, lParam);
}

// Full-screen, the cursor stays hidden over the window, whatever moves it.
LRESULT OnSetCursor(HWND window, WPARAM wParam, LPARAM lParam) {
  if (saverState.preview != 0) return DefWindowProcA(window, WM_SETCURSOR, wParam, lParam);
  SetCursor(nullptr);
  return TRUE;
}

// No other saver starts while this one runs; full-screen, input ends the
// saver, not the system menu's close.
LRESULT OnSysCommand(HWND window, WPARAM wParam, LPARAM lParam) {
  const WPARAM command = wParam & 0xFFF0;
  if (command == SC_SCREENSAVE || (command == SC_CLOSE && saverState.preview == 0)) return 0;
  return DefWindowProcA(window, WM_SYSCOMMAND, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (saverState.preview == 0) HandleInput(window, message);
  switch (message) {
    case WM_CREATE:
      return OnCreate(window);
    case WM_CLOSE:
      return OnClose(window, wParam, lParam);
    case WM_DESTROY:
      return OnDestroy();
    case WM_PAINT:
      return OnPaint(window);
    case WM_TIMER:
      return OnTimer(window);
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE:
      if (saverState.preview == 0) CloseOnActivationLoss(window, message, wParam);
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_DISPLAYCHANGE:
      return OnDisplayChange(window, wParam, lParam);
    case WM_SETCURSOR:
      return OnSetCursor(window, wParam, lParam);
    case WM_SYSCOMMAND:
      return OnSysCommand(window, wParam, lParam);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

uintptr_t WindowThread(uintptr_t) {
  SaverState& s = saverState;
  s.parentWindow = HandleAsPointer(ReadHostWindow());
  s.instance = GetModuleHandleA(nullptr);
  StrAssign(&s.className, kDescriptorKind, kClassName, sizeof kClassName, 0);
  if (!RegisterSaverClass()) {
    MessageBoxA(nullptr, "ScreenSaver Failed To Initialize", "Error!", MB_ICONERROR);
    ProgramEnd(0);
  }
  ChooseWindowForm();
  if (!HostMissing() && CreateSaverWindow()) {
    ShowWindow(AsWindow(s.window), SW_SHOW);
    UpdateWindow(AsWindow(s.window));
    RunMessageLoop();
  }
  RasterThreadEnd();
  // However the thread got here (the window destroyed, no host to live in, a
  // window that could not be created, a failing message loop), nothing else
  // would end the animation.
  SaverRaiseQuit();
  return 0;
}

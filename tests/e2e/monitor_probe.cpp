// What the end-to-end tests of several monitors ask Windows (here, Wine):
//
//   monitor_probe                prints the monitors, then exits
//     virtual <left> <top> <width> <height>
//     monitor <left> <top> <right> <bottom> <1 if primary, else 0>   (one line each)
//   monitor_probe move <x> <y>   puts the cursor at (x, y) in screen
//                                coordinates, as a mouse move there would,
//                                and prints the window under that point:
//     cursor <x> <y> <class name of the window that was at the point>
//   monitor_probe mode <w> <h>   changes the display mode to w x h, as a
//                                remote session or a monitor switched off
//                                would, and prints ChangeDisplaySettingsExA's
//                                result (0: changed):
//     mode <result>
//   monitor_probe focus          makes a window of its own and takes the
//                                foreground with it, as another program's
//                                popup does; prints whether it has it, then
//                                keeps the window until the process is ended
//                                (at most a minute):
//     foreground <1 or 0>
//
// The X server used for these tests cannot take its pointer onto a second
// screen, so a move onto the second monitor is made through Windows.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

BOOL CALLBACK PrintMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoA(monitor, &info)) {
    const RECT& r = info.rcMonitor;
    std::printf("monitor %ld %ld %ld %ld %d\n", r.left, r.top, r.right, r.bottom,
                (info.dwFlags & MONITORINFOF_PRIMARY) ? 1 : 0);
  }
  return TRUE;
}

int PrintMonitors() {
  std::printf("virtual %d %d %d %d\n", GetSystemMetrics(SM_XVIRTUALSCREEN),
              GetSystemMetrics(SM_YVIRTUALSCREEN), GetSystemMetrics(SM_CXVIRTUALSCREEN),
              GetSystemMetrics(SM_CYVIRTUALSCREEN));
  EnumDisplayMonitors(nullptr, nullptr, PrintMonitor, 0);
  return 0;
}

// The window is looked up before the move: a saver under the point may be
// gone by the time the move is done.
int MoveCursor(const char* x, const char* y) {
  POINT target{std::atol(x), std::atol(y)};
  char name[64] = "none";
  if (HWND window = WindowFromPoint(target)) GetClassNameA(window, name, sizeof name);
  if (!SetCursorPos(target.x, target.y)) return 1;
  POINT now{};
  GetCursorPos(&now);
  std::printf("cursor %ld %ld %s\n", now.x, now.y, name);
  return 0;
}

int ChangeMode(const char* width, const char* height) {
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  mode.dmPelsWidth = static_cast<DWORD>(std::atol(width));
  mode.dmPelsHeight = static_cast<DWORD>(std::atol(height));
  mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
  const LONG result = ChangeDisplaySettingsExA(nullptr, &mode, nullptr, 0, nullptr);
  std::printf("mode %ld\n", result);
  return result == DISP_CHANGE_SUCCESSFUL ? 0 : 1;
}

int TakeForeground() {
  HWND window = CreateWindowExA(0, "STATIC", "monitor_probe", WS_POPUP | WS_VISIBLE | WS_BORDER,
                                100, 100, 200, 100, nullptr, nullptr, GetModuleHandleA(nullptr),
                                nullptr);
  if (!window) return 1;
  SetForegroundWindow(window);
  std::printf("foreground %d\n", GetForegroundWindow() == window ? 1 : 0);
  std::fflush(stdout);
  // The window lives on while the test watches the saver.
  SetTimer(window, 1, 60000, nullptr);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0 && message.message != WM_TIMER) {
    DispatchMessageA(&message);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int result = 2;
  if (argc == 1) {
    result = PrintMonitors();
  } else if (argc == 4 && std::strcmp(argv[1], "move") == 0) {
    result = MoveCursor(argv[2], argv[3]);
  } else if (argc == 4 && std::strcmp(argv[1], "mode") == 0) {
    result = ChangeMode(argv[2], argv[3]);
  } else if (argc == 2 && std::strcmp(argv[1], "focus") == 0) {
    result = TakeForeground();
  } else {
    std::fprintf(stderr, "usage: monitor_probe [move <x> <y> | mode <w> <h> | focus]\n");
  }
  std::fflush(stdout);
  return result;
}

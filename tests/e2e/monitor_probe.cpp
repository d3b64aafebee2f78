// What the end-to-end tests of several monitors ask Windows (here, Wine):
//
//   monitor_probe                prints the monitors, then exits
//     virtual <left> <top> <width> <height>
//     monitor <left> <top> <right> <bottom> <1 if primary, else 0>   (one line each)
//   monitor_probe move <x> <y>   puts the cursor at (x, y) in screen
//                                coordinates, as a mouse move there would,
//                                and prints the window under that point:
//     cursor <x> <y> <class name of the window that was at the point>
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

}  // namespace

int main(int argc, char** argv) {
  int result = 2;
  if (argc == 1) {
    result = PrintMonitors();
  } else if (argc == 4 && std::strcmp(argv[1], "move") == 0) {
    result = MoveCursor(argv[2], argv[3]);
  } else {
    std::fprintf(stderr, "usage: monitor_probe [move <x> <y>]\n");
  }
  std::fflush(stdout);
  return result;
}

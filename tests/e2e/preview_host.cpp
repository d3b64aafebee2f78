// Stands in for the display settings' preview pane in the end-to-end tests.
//
// Creates a borderless top-level window of 152 x 112 pixels (so its window
// rectangle and client area are the same, as with the real preview pane),
// filled with a colour the saver's frame does not have, and prints
//   <window handle as a decimal number>
//   client <x> <y> <width> <height>
// on stdout (the client area in screen coordinates), then, once for each
// visible window put inside it (the saver's preview),
//   child <class name> <style in hex> <left> <top> <right> <bottom> <1 if another process made it>
// with its window rectangle in screen coordinates. It closes its window
// when a line arrives on stdin or stdin ends, and exits with code 0 once
// the window is gone.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kClientWidth = 152;
constexpr int kClientHeight = 112;
// A green the saver never shows, so the test can tell when the frame lands.
constexpr COLORREF kHostColour = RGB(0, 160, 0);

constexpr UINT_PTR kChildTimer = 1;

// Reports each visible child once; one that is still hidden is looked at
// again on the next tick.
BOOL CALLBACK ReportChild(HWND child, LPARAM) {
  static HWND reported[16];
  static int count = 0;
  for (int i = 0; i < count; ++i) {
    if (reported[i] == child) return TRUE;
  }
  if (!IsWindowVisible(child) || count == 16) return TRUE;
  reported[count++] = child;
  char name[64] = {};
  GetClassNameA(child, name, sizeof name);
  RECT r;
  GetWindowRect(child, &r);
  DWORD process = 0;
  GetWindowThreadProcessId(child, &process);
  std::printf("child %s %08lx %ld %ld %ld %ld %d\n", name[0] ? name : "?",
              static_cast<unsigned long>(GetWindowLongA(child, GWL_STYLE)), r.left, r.top, r.right,
              r.bottom, process != GetCurrentProcessId() ? 1 : 0);
  std::fflush(stdout);
  return TRUE;
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_TIMER:
      if (wparam == kChildTimer) EnumChildWindows(window, ReportChild, 0);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

// Waits for a line or the end of stdin, then asks the window to close.
DWORD WINAPI StdinWatcher(LPVOID param) {
  HWND window = static_cast<HWND>(param);
  char line[256];
  std::fgets(line, sizeof line, stdin);
  PostMessageA(window, WM_CLOSE, 0, 0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int x = 64, y = 64;
  if (argc >= 3) {
    x = std::atoi(argv[1]);
    y = std::atoi(argv[2]);
  }
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = HostWindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = CreateSolidBrush(kHostColour);
  wc.lpszClassName = "POMARELOPREVIEWHOST";
  if (!RegisterClassA(&wc)) {
    std::fprintf(stderr, "preview host: RegisterClassA failed (%lu)\n", GetLastError());
    return 1;
  }
  // WS_CLIPCHILDREN: the saver's child window paints itself; the host's
  // background never covers it.
  HWND window = CreateWindowExA(0, wc.lpszClassName, "Pomarelo preview host",
                                WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, x, y, kClientWidth,
                                kClientHeight, nullptr, nullptr, instance, nullptr);
  if (!window) {
    std::fprintf(stderr, "preview host: CreateWindowExA failed (%lu)\n", GetLastError());
    return 1;
  }
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);

  RECT client;
  GetClientRect(window, &client);
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  std::printf("%lu\nclient %ld %ld %ld %ld\n",
              static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(window)), origin.x, origin.y,
              client.right - client.left, client.bottom - client.top);
  std::fflush(stdout);
  SetTimer(window, kChildTimer, 250, nullptr);

  HANDLE watcher = CreateThread(nullptr, 0, StdinWatcher, window, 0, nullptr);
  if (watcher) CloseHandle(watcher);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}

// Stands in for the display settings' preview pane in the end-to-end tests.
//
// Creates a borderless top-level window of 152 x 112 pixels (so its window
// rectangle and client area are the same, as with the real preview pane),
// filled with a colour the saver's frame does not have, and prints
//   <window handle as a decimal number>
//   client <x> <y> <width> <height>
// on stdout (the client area in screen coordinates). It closes its window
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

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
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

  HANDLE watcher = CreateThread(nullptr, 0, StdinWatcher, window, 0, nullptr);
  if (watcher) CloseHandle(watcher);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}

// The preview's picture, seen in one process: the saver's own start-up path
// for preview mode (the desktop snapshot, then the window thread) inside a
// 152 x 112 host window made here, with the real animation on the main
// thread. The host's pixels are read back from the screen: first the
// desktop snapshot, then the frame scaled into all of the host in its true
// colours.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/run_mode.h"
#include "app/saver_state.h"
#include "app/snowfall.h"
#include "png/png.h"
#include "raster/raster_internal.h"
#include "resources/logo.h"
#include "tests/app/command_line.h"

namespace {

struct RuntimeUp {
  RuntimeUp() {
    RuntimeInit();
    SaverStateClear();
  }
} runtimeUp;

using Clock = std::chrono::steady_clock;
constexpr std::chrono::seconds kBound(60);  // only a failure waits this long

constexpr int kHostWidth = 152;
constexpr int kHostHeight = 112;
constexpr int kHostX = 300;
constexpr int kHostY = 200;
// Colours the saver's frame never has: the desktop under the snapshot, and
// the host's own background.
constexpr COLORREF kDesktopColour = RGB(200, 40, 160);
constexpr COLORREF kHostColour = RGB(0, 160, 0);

struct Rgb {
  int r, g, b;
};

// What the screen shows of the host's client area, row by row.
std::vector<Rgb> ReadHost(HWND host) {
  POINT origin = {0, 0};
  ClientToScreen(host, &origin);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = kHostWidth;
  info.bmiHeader.biHeight = -kHostHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  std::vector<Rgb> pixels;
  if (bitmap) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, kHostWidth, kHostHeight, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const auto* words = static_cast<const uint32_t*>(bits);
    for (int i = 0; i < kHostWidth * kHostHeight; ++i) {
      const uint32_t v = words[i];
      pixels.push_back({int(v >> 16 & 0xFF), int(v >> 8 & 0xFF), int(v & 0xFF)});
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

double Share(const std::vector<Rgb>& pixels, bool (*test)(const Rgb&)) {
  int count = 0;
  for (const Rgb& p : pixels) count += test(p);
  return pixels.empty() ? 0.0 : double(count) / double(pixels.size());
}

bool IsDesktopColour(const Rgb& p) {
  return p.r == GetRValue(kDesktopColour) && p.g == GetGValue(kDesktopColour) &&
         p.b == GetBValue(kDesktopColour);
}
// The backdrop's blue as the frame holds it: opaque blue blended over
// itself stops at 254, where a flake passed it stays 255.
bool IsBackdropBlue(const Rgb& p) { return p.r == 0 && p.g == 0 && p.b >= 254; }

// Whether a host pixel shows a frame-buffer pixel in its own colour: one of
// the pixels within a host pixel of where it is taken from (the scaling
// rounds its own way), or a flake's white (flakes move between frames).
bool ShowsTheFrame(const Rgb& p, int x, int y) {
  const ScreenMode* mode = CurrentScreenMode();
  if (p.r == 255 && p.g == 255 && p.b == 255) return true;
  const int left = std::max(0, (x - 1) * mode->width / kHostWidth);
  const int right = std::min(mode->width, (x + 2) * mode->width / kHostWidth);
  const int top = std::max(0, (y - 1) * mode->height / kHostHeight);
  const int bottom = std::min(mode->height, (y + 2) * mode->height / kHostHeight);
  const uint32_t colour = uint32_t(p.r) << 16 | uint32_t(p.g) << 8 | uint32_t(p.b);
  for (int sy = top; sy < bottom; ++sy) {
    const uint8_t* row = mode->frameBuffer + size_t(sy) * mode->pitch;
    for (int sx = left; sx < right; ++sx) {
      uint32_t v;
      std::memcpy(&v, row + 4 * sx, 4);
      if ((v & 0xFFFFFF) == colour) return true;
    }
  }
  return false;
}

// The logo's fruit, left of its middle: a sixteenth of the picture.
bool IsFruitRed(const Rgb& p) { return p.r > 120 && p.g < 80 && p.b < 100; }

// The share of host pixels that show the frame.
double ShareShowingTheFrame(const std::vector<Rgb>& pixels) {
  int matching = 0;
  for (int y = 0; y < kHostHeight && !pixels.empty(); ++y) {
    for (int x = 0; x < kHostWidth; ++x) {
      matching += ShowsTheFrame(pixels[size_t(y) * kHostWidth + x], x, y);
    }
  }
  return pixels.empty() ? 0.0 : double(matching) / double(pixels.size());
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

// The desktop under the snapshot (a window of one colour over the whole
// screen) and the preview host on top of it, on a thread of their own that
// handles their messages while the main thread animates.
class HostThread {
 public:
  HostThread() {
    thread_ = std::thread([this] { Run(); });
    while (!ready_.load()) std::this_thread::yield();
  }
  ~HostThread() {
    Close();  // nothing happens if the host is gone already
    thread_.join();
  }
  HWND host() const { return host_; }
  void Close() { PostMessageA(host_, WM_CLOSE, 0, 0); }

 private:
  static HWND Make(const char* name, COLORREF colour, DWORD exStyle, int x, int y, int w, int h) {
    WNDCLASSA c = {};
    c.lpfnWndProc = HostProc;
    c.hInstance = GetModuleHandleA(nullptr);
    c.hbrBackground = CreateSolidBrush(colour);
    c.lpszClassName = name;
    RegisterClassA(&c);
    HWND window = CreateWindowExA(exStyle, name, name, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, x,
                                  y, w, h, nullptr, nullptr, c.hInstance, nullptr);
    UpdateWindow(window);
    return window;
  }
  void Run() {
    HWND desktop = Make("PREVIEWTESTDESKTOP", kDesktopColour, 0, 0, 0,
                        GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    host_ = Make("PREVIEWTESTHOST", kHostColour, WS_EX_TOPMOST, kHostX, kHostY, kHostWidth,
                 kHostHeight);
    ready_.store(true);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    DestroyWindow(desktop);
  }
  std::thread thread_;
  std::atomic<bool> ready_{false};
  HWND host_ = nullptr;
};

template <typename Condition>
bool WaitFor(Condition condition) {
  const auto deadline = Clock::now() + kBound;
  while (!condition()) {
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

TEST(PreviewPicture, TheHostShowsTheSnapshotThenTheFrameScaledInTrueColours) {
  HostThread hostThread;
  HWND host = hostThread.host();
  ASSERT_NE(host, nullptr);
  // The desktop the snapshot will copy: the test's colour on the screen.
  HDC screen = GetDC(nullptr);
  ASSERT_TRUE(WaitFor([&] { return GetPixel(screen, 10, 10) == kDesktopColour; }))
      << "the desktop never showed the test's colour";
  ReleaseDC(nullptr, screen);

  ImageBuffer* logo = static_cast<ImageBuffer*>(
      PngDecodeMemory(kLogoPng, int32_t(kLogoPngSize), PngTarget::Image));
  ASSERT_NE(logo, nullptr);
  CommandLine line({"/p", std::to_string(reinterpret_cast<intptr_t>(host))});
  SelectRunMode();
  ASSERT_EQ(saverState.preview, 1);

  // Before the first backdrop: the snapshot, scaled. The host's own area is
  // a small part of it; the rest is the desktop's colour.
  std::vector<Rgb> snapshot;
  const bool snapshotShown = WaitFor([&] {
    snapshot = ReadHost(host);
    return Share(snapshot, IsDesktopColour) > 0.8;
  });
  EXPECT_TRUE(snapshotShown) << "share of the desktop's colour "
                             << Share(snapshot, IsDesktopColour);

  // The animation runs on this thread until the saver window is gone; the
  // picture is checked meanwhile, then the host is closed, which destroys
  // the saver window and raises the quit flag.
  std::vector<Rgb> frame;
  double shown = 0.0;
  bool frameShown = false;
  std::thread checker([&] {
    frameShown = WaitFor([&] {
      frame = ReadHost(host);
      shown = ShareShowingTheFrame(frame);
      // In true colours nearly every pixel is one of the frame's; the
      // device context's default shrink, which ANDs pixels together, left
      // an eighth of them in colours the frame does not have.
      return shown > 0.99 && Share(frame, IsBackdropBlue) > 0.6 && Share(frame, IsFruitRed) > 0.03;
    });
    hostThread.Close();
    // Should the window never have been made, nothing else ends the animation.
    if (!WaitFor([] { return SaverQuitRaised() != 0; })) SaverRaiseQuit();
  });
  RunSnowfall(logo);
  checker.join();

  EXPECT_TRUE(frameShown) << "share of host pixels showing the frame " << shown
                          << ", backdrop blue " << Share(frame, IsBackdropBlue)
                          << ", the logo's fruit red " << Share(frame, IsFruitRed);
  EXPECT_EQ(SaverQuitRaised(), 1);
  // The window thread returns once its window is gone.
  EXPECT_TRUE(WaitFor([] { return !RuntimeOtherThreadsRunning(); }));
}

}  // namespace

// The about box that configure mode shows. The saver has no settings; when the
// program carries no about box, a message says so instead.
#include "app/saver_platform.h"
#include "app/win32_types.h"

#include "app/window_procs.h"

namespace {

constexpr char kAboutTemplate[] = "KZ_SCRNSAVER_ABOUT";
constexpr WORD kOkCommand = 1;  // the OK button, also the Enter key

}  // namespace

// Only OK and Enter close the box: the close box and Escape (command 2) do
// nothing.
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND && LOWORD(wParam) == kOkCommand) {
    EndDialog(dialog, static_cast<INT_PTR>(wParam));
    return 1;
  }
  return 0;
}

// In configure mode the window thread has not run: the instance and the owner
// are still null, so the template is found in the program's own module and
// the box has no owner.
void ShowAboutBox() {
  HINSTANCE instance = static_cast<HINSTANCE>(saverState.instance);
  if (FindResourceA(instance, kAboutTemplate, MAKEINTRESOURCEA(5)) != nullptr) {
    DialogBoxParamA(instance, kAboutTemplate, AsWindow(saverState.parentWindow), AboutDialogProc, 0);
  } else {
    MessageBoxA(nullptr, "No Settings To Display", "Settings", MB_ICONINFORMATION);
  }
}

// The saver's two Win32 callbacks: the saver window's procedure and the about
// box's dialog procedure.
#pragma once

#include <windows.h>

// Input stage (full-screen only: keys, the left, right and middle buttons and
// any cursor move post WM_CLOSE), then dispatch stage (create, destroy, paint,
// timer; everything else to DefWindowProcA).
LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Ends the dialog on command 1 (OK, Enter) and returns 1; 0 for anything else.
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

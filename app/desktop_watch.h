// The window thread's side of following a change of the monitors: it notices
// the change, asks the main thread to lay the desktop out anew (painting
// nothing meanwhile) and moves the window over the new desktop once that is
// done. Full-screen only: a preview keeps its frame.
#pragma once

#include <windows.h>

// Takes the desktop as it is now as the one laid out. At window creation.
void WatchDesktop();

// A change is known (WM_DISPLAYCHANGE): it is followed on a coming tick.
void WantDesktopChange();

// Each tick: looks for a change that no message told of, and moves a change
// on by one state (see SaverDesktopChange).
void FollowDesktopChanges(HWND window);

// True while the frame is being replaced: no paint may read it.
bool PaintsHeld();

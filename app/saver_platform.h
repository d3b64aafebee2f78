// The saver's face to the platform: the desktop snapshot, the window thread
// and the about box. Declared without the platform headers so the portable
// start-up can call them; saver_window.cpp, snapshot.cpp and about_box.cpp
// implement them with Win32.
#pragma once

#include <cstdint>

// Sets the screen mode to the desktop's size and copies the desktop into the
// FrameBuffer. Main thread, before the window thread starts. False where no
// frame could be made, however small: then nothing can be shown.
bool SnapshotDesktop();

// Lays the desktop out anew after the monitors changed, as at start-up but
// without a snapshot: SaverState's layout, sizes and DibHeader and a new
// FrameBuffer. Main thread, while the window thread paints nothing. False
// where no frame could be made.
bool FollowDesktopChange();

// Registers the window class, creates the saver window and runs its message
// loop. The value is ignored; the result is not used.
uintptr_t WindowThread(uintptr_t value);

// Shows the about box and returns when it has closed.
void ShowAboutBox();

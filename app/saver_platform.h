// The saver's face to the platform: the desktop snapshot, the window thread
// and the about box. Declared without the platform headers so the portable
// start-up can call them; saver_window.cpp, snapshot.cpp and about_box.cpp
// implement them with Win32.
#pragma once

#include <cstdint>

// Sets the screen mode to the desktop's size and copies the desktop into the
// FrameBuffer. Main thread, before the window thread starts.
void SnapshotDesktop();

// Registers the window class, creates the saver window and runs its message
// loop. The value is ignored; the result is not used.
uintptr_t WindowThread(uintptr_t value);

// Shows the about box and returns when it has closed.
void ShowAboutBox();

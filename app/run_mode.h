// The run mode that Windows starts the saver in, read from the command line,
// and the preview host window given after the mode switch.
#pragma once

#include <cstdint>

enum class RunMode {
  Configure,   // "/c" in any letter case: the about box
  Preview,     // "/p" in any letter case: inside the host window
  FullScreen,  // anything else
};

// Only the first two characters of the command line decide.
RunMode ReadRunMode();

// The number after the first three characters of the command line, rounded
// to the nearest integer and taken as a 32-bit handle; 0 when there is none.
uint32_t ReadHostWindow();

// A parsed number as a 32-bit handle: rounded to nearest (ties to even, the
// floating-point unit's mode); NaN and values outside the signed 32-bit range
// give 0x80000000, the value the processor's integer store yields for them.
uint32_t HandleFromNumber(double number);

// A 32-bit handle as the platform's pointer-sized one, widened with its sign
// as 64-bit Windows widens window handles: the same number names the same
// window in the 32- and the 64-bit program, the reserved negative values
// (-1, -3, ...) included.
void* HandleAsPointer(uint32_t handle);

// Configure mode shows the about box and ends the program. Otherwise sets the
// preview flag when asked for, takes the desktop snapshot and starts the
// window thread, then returns.
void SelectRunMode();

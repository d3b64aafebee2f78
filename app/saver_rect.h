// A rectangle with the layout of the platform's RECT, for the portable half
// of the saver: screen areas, monitors and the places of the logos.
#pragma once

#include <cstdint>

struct SaverRect {  // RECT
  int32_t left;
  int32_t top;
  int32_t right;   // exclusive
  int32_t bottom;  // exclusive
};

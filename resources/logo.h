// The shop's logo as the program carries it: a complete PNG datastream
// (1440 x 900, 8-bit RGBA) in the program's read-only data. The bytes are
// generated at build time from resources/logo.png.
#ifndef POMARELO_RESOURCES_LOGO_H
#define POMARELO_RESOURCES_LOGO_H

#include <cstdint>

extern const unsigned char kLogoPng[];
extern const uint32_t kLogoPngSize;

#endif

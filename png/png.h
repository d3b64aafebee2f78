// The PNG decoder: a complete datastream, in memory or in a file, to one of three image
// forms. Synchronous, no global state; every failure is a null result, and the image is
// one heap block the caller releases with free().
#pragma once

#include <cstddef>
#include <cstdint>

struct PngTarget {
  enum : int32_t {
    ShortHeaderImage = 1,  // 4-byte short header, then rows of Pixel32 without gaps
    Image = 2,             // 32-byte ImageHeader, rows padded to a multiple of 32 bytes
    RgbaBottomUp = 3,      // no header, rows bottom to top, bytes R, G, B, A
  };
};

// One chunk of the datastream. `data` points into the caller's input.
struct PngChunk {
  uint32_t length;  // data bytes only
  uint8_t type[4];
  const uint8_t* data;
  uint32_t crc;  // as stored
};

// The state of one decode; zero-filled when the call begins.
struct PngContext {
  uint32_t width;
  uint32_t height;
  uint8_t bitDepth;
  uint8_t colourType;
  uint8_t compressionMethod;
  uint8_t filterMethod;
  uint8_t interlaceMethod;  // 0 none, 1 Adam7
  uint8_t palette[256][3];  // R, G, B; entries PLTE did not supply stay black
  uint32_t paletteCount;
  uint8_t* data;  // the joined IDAT data, after inflation the raw scanlines
  uint32_t dataSize;
  bool hasTransparency;
  uint8_t paletteAlpha[256];
  uint16_t transparentGrey;
  uint16_t transparentRed;
  uint16_t transparentGreen;
  uint16_t transparentBlue;
  const uint8_t* input;  // not owned
  uint32_t inputLength;
  uint32_t position;
  uint32_t bytesPerPixel;
  PngChunk* chunks;  // every chunk in stream order
  uint32_t chunkCount;
  bool ready;  // the whole parse succeeded
  uint32_t chunkCapacity;  // slots allocated in `chunks`
};

// Limits beyond the format's own: an image is refused when its raw data would not fit in
// 32 bits, when its output's pixels would exceed the raster library's kMaxImagePixelBytes,
// when its header promises more raw data than the IDAT bytes can inflate to (at most 1032
// bytes each; checked before anything is allocated), and, for ShortHeaderImage, when the
// width reaches 8192 or the height 65536 (the short header has 13 and 16 bits for them).

// ---- entries ---------------------------------------------------------------

// Null for a null pointer, a length below 49, or any failure.
void* PngDecodeMemory(const void* data, int32_t length, int32_t target);
// Reads the whole file and decodes it; null when it can't be read.
void* PngDecodeFile(const char* path, int32_t target);
// The file's bytes (caller frees) with *size set, or null with *size 0.
// Files larger than 2^31 - 1 bytes are refused.
void* ReadWholeFile(const char* path, int32_t* size);

// ---- stream and chunk reader -----------------------------------------------

// Index of the first chunk at or after start whose type equals type, a
// string of 4 characters, or -1 (always for a string of another length).
int32_t PngFindChunk(const PngContext* context, const char* type, int32_t start);
// Parses the whole stream and inflates its image data; true, with `ready` set, on success.
bool PngParse(PngContext* context);
// Frees the chunk array and `data`; the context can then be discarded.
void PngRelease(PngContext* context);

// ---- scanlines ----------------------------------------------------------------

constexpr int kPngPassCount = 7;

// Bytes of one row of pass (1 to 7; 1 for a non-interlaced image),
// including the filter-type byte; 0 for an empty pass. 64-bit so that no
// header can make it wrap.
uint64_t PngRowBytes(const PngContext* context, int pass);
// Sum over the non-empty passes of rows x row bytes; UINT64_MAX when that
// does not fit in 64 bits (the parse then refuses the image).
uint64_t PngRawSize(const PngContext* context);
// Inflates `data` to exactly PngRawSize bytes; the gathered data is
// released in every case and `data`/`dataSize` describe the result.
bool PngInflate(PngContext* context);
// The output block for target, or null (no `ready`, bad target, a filter
// type above 4, sizes that can't be represented, exhausted memory).
void* PngBuildImage(PngContext* context, int32_t target);

// ---- the byte- and pixel-at-a-time routines -------------------------------
// They define the results: the build's whole-row loops must give identical blocks, which
// tests check against PngBuildImageBytewise, built from these routines alone.

// Reconstructs *byte in place. k: index among the row's data bytes; the
// previous row of the pass lies rowBytes before. False for a filter type
// above 4.
bool PngUnfilterByte(uint8_t* byte, uint32_t filterType, uint32_t k, uint32_t rowIndex,
                     uint32_t rowBytes, uint32_t bytesPerPixel);

// Puts one Pixel32 (0xAARRGGBB) at column x, row y of an output block.
using PngStorePixelRoutine = void (*)(void* output, uint32_t x, uint32_t y, uint32_t pixel,
                                      uint32_t width, uint32_t height);
void PngStorePixelShortHeader(void* output, uint32_t x, uint32_t y, uint32_t pixel,
                              uint32_t width, uint32_t height);
void PngStorePixelImage(void* output, uint32_t x, uint32_t y, uint32_t pixel, uint32_t width,
                        uint32_t height);
void PngStorePixelRgbaBottomUp(void* output, uint32_t x, uint32_t y, uint32_t pixel,
                               uint32_t width, uint32_t height);

// Converts the pixel whose bytesPerPixel bytes end at pixelBytes[bytesPerPixel
// - 1] (below 8 bits: every sample of that byte), stores those whose column
// is inside the image and advances *x by columnStep per sample.
void PngConvertPixel(const PngContext* context, void* output, const uint8_t* pixelBytes,
                     PngStorePixelRoutine store, uint32_t* x, uint32_t y, uint32_t columnStep);

// PngBuildImage done a byte and a pixel at a time, on a working copy of the raw data.
void* PngBuildImageBytewise(PngContext* context, int32_t target);

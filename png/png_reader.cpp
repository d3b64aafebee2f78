// The stream and chunk reader: entries, signature, the walk over every chunk
// with its CRC, and what is taken from IHDR, PLTE, tRNS and IDAT.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <zlib.h>

#include "png/png.h"
#include "png/png_internal.h"

namespace {

constexpr uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
// Inputs shorter than this are refused unread: no image fits in them (the
// signature and IHDR alone take 33 bytes, and three chunks are required).
constexpr int32_t kMinimumLength = 49;

uint32_t ReadBigEndian32(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

uint16_t ReadBigEndian16(const uint8_t* p) { return uint16_t((p[0] << 8) | p[1]); }

// type is a C string of exactly four characters; it is read no further than its
// terminator, so a shorter one matches nothing and is never read past its end.
bool TypeIs(const PngChunk& chunk, const char* type) {
  for (int i = 0; i < 4; ++i) {
    if (type[i] == '\0' || uint8_t(type[i]) != chunk.type[i]) return false;
  }
  return type[4] == '\0';
}

bool CheckSignature(PngContext* context) {
  if (context->inputLength < sizeof kSignature ||
      std::memcmp(context->input, kSignature, sizeof kSignature) != 0) {
    return false;
  }
  context->position = sizeof kSignature;
  return true;
}

// One more slot in the chunk array; the array grows geometrically so that
// a stream of many tiny chunks costs linear time.
PngChunk* AppendChunkSlot(PngContext* context) {
  if (context->chunkCount == context->chunkCapacity) {
    // A chunk takes at least 12 input bytes, so the count stays below 2^28;
    // the byte size is still checked, as on a 32-bit machine it could wrap.
    uint32_t capacity = context->chunkCapacity ? context->chunkCapacity * 2 : 16;
    uint64_t bytes = uint64_t(capacity) * sizeof(PngChunk);
    if (bytes > SIZE_MAX) return nullptr;
    void* grown = std::realloc(context->chunks, size_t(bytes));
    if (!grown) return nullptr;
    context->chunks = static_cast<PngChunk*>(grown);
    context->chunkCapacity = capacity;
  }
  return &context->chunks[context->chunkCount];
}

bool ReadChunk(PngContext* context, PngChunk* chunk) {
  uint64_t position = context->position;
  uint64_t end = context->inputLength;
  if (position + 8 > end) return false;
  const uint8_t* start = context->input + position;
  chunk->length = ReadBigEndian32(start);
  std::memcpy(chunk->type, start + 4, 4);
  chunk->data = start + 8;
  if (position + 12 + uint64_t(chunk->length) > end) return false;
  chunk->crc = ReadBigEndian32(chunk->data + chunk->length);
  uLong crc = crc32(0, chunk->type, 4);
  crc = crc32(crc, chunk->data, chunk->length);
  context->position = uint32_t(position + 12 + chunk->length);
  return uint32_t(crc) == chunk->crc;
}

bool WalkChunks(PngContext* context) {
  while (context->position < context->inputLength) {
    PngChunk* slot = AppendChunkSlot(context);
    if (!slot || !ReadChunk(context, slot)) return false;
    ++context->chunkCount;
  }
  return context->chunkCount >= 3 && TypeIs(context->chunks[context->chunkCount - 1], "IEND");
}

bool ReadHeader(PngContext* context) {
  if (PngFindChunk(context, "IHDR", 0) != 0) return false;
  const PngChunk& ihdr = context->chunks[0];
  if (ihdr.length != 13) return false;
  const uint8_t* p = ihdr.data;
  context->width = ReadBigEndian32(p);
  context->height = ReadBigEndian32(p + 4);
  context->bitDepth = p[8];
  context->colourType = p[9];
  context->compressionMethod = p[10];
  context->filterMethod = p[11];
  context->interlaceMethod = p[12];
  return png_internal::HeaderValuesAllowed(*context);
}

bool GatherImageData(PngContext* context) {
  uint64_t total = 0;
  for (int32_t i = PngFindChunk(context, "IDAT", 0); i >= 0; i = PngFindChunk(context, "IDAT", i + 1)) {
    total += context->chunks[i].length;
  }
  if (total == 0) return false;
  // Refused before anything is allocated: a header promising more than the stream can carry.
  if (!png_internal::InflationPossible(PngRawSize(context), total)) return false;
  // Every byte is copied over, so the block needs no zero fill.
  uint8_t* gathered = static_cast<uint8_t*>(std::malloc(size_t(total)));
  if (!gathered) return false;
  size_t offset = 0;
  for (int32_t i = PngFindChunk(context, "IDAT", 0); i >= 0; i = PngFindChunk(context, "IDAT", i + 1)) {
    const PngChunk& idat = context->chunks[i];
    std::memcpy(gathered + offset, idat.data, idat.length);
    offset += idat.length;
  }
  context->data = gathered;
  context->dataSize = uint32_t(total);
  return true;
}

void ComputeBytesPerPixel(PngContext* context) {
  context->bytesPerPixel = png_internal::BytesPerPixelOf(*context);
}

bool ReadPalette(PngContext* context) {
  int32_t index = PngFindChunk(context, "PLTE", 0);
  if (index < 0) return false;
  const PngChunk& plte = context->chunks[index];
  uint32_t count = plte.length / 3;
  if (count > 256) return false;
  std::memcpy(context->palette, plte.data, size_t(count) * 3);
  context->paletteCount = count;
  return true;
}

bool ReadTransparency(PngContext* context) {
  int32_t index = PngFindChunk(context, "tRNS", 0);
  if (index < 0) return true;
  const PngChunk& trns = context->chunks[index];
  context->hasTransparency = true;
  switch (context->colourType) {
    case 0:
      if (trns.length != 2) return false;
      context->transparentGrey = ReadBigEndian16(trns.data);
      return true;
    case 2:
      if (trns.length != 6) return false;
      context->transparentRed = ReadBigEndian16(trns.data);
      context->transparentGreen = ReadBigEndian16(trns.data + 2);
      context->transparentBlue = ReadBigEndian16(trns.data + 4);
      return true;
    case 3:
      if (trns.length > 256) return false;
      std::memcpy(context->paletteAlpha, trns.data, trns.length);
      std::memset(context->paletteAlpha + trns.length, 255, 256 - trns.length);
      return true;
    default:
      return false;
  }
}

}  // namespace

int32_t PngFindChunk(const PngContext* context, const char* type, int32_t start) {
  if (!context || !type || start < 0) return -1;
  for (uint32_t i = uint32_t(start); i < context->chunkCount; ++i) {
    if (TypeIs(context->chunks[i], type)) return int32_t(i);
  }
  return -1;
}

namespace png_internal {

bool ParseLeavingImageDataDeflated(PngContext* context) {
  context->ready = false;
  if (!CheckSignature(context)) return false;
  if (!WalkChunks(context)) return false;
  if (!ReadHeader(context)) return false;
  if (!GatherImageData(context)) return false;
  ComputeBytesPerPixel(context);
  if (context->colourType == 3 && !ReadPalette(context)) return false;
  return ReadTransparency(context);
}

}  // namespace png_internal

bool PngParse(PngContext* context) {
  // The inflation only depends on the header and the gathered data, and
  // every failure is the same null result, so it may run last.
  if (!png_internal::ParseLeavingImageDataDeflated(context)) return false;
  if (!PngInflate(context)) return false;
  context->ready = true;
  return true;
}

void PngRelease(PngContext* context) {
  std::free(context->chunks);
  context->chunks = nullptr;
  context->chunkCount = 0;
  context->chunkCapacity = 0;
  std::free(context->data);
  context->data = nullptr;
  context->dataSize = 0;
  context->ready = false;
}

void* PngDecodeMemory(const void* data, int32_t length, int32_t target) {
  if (!data || length < kMinimumLength) return nullptr;
  PngContext context;
  std::memset(&context, 0, sizeof context);
  context.input = static_cast<const uint8_t*>(data);
  context.inputLength = uint32_t(length);
  void* image = nullptr;
  if (png_internal::ParseLeavingImageDataDeflated(&context)) {
    image = png_internal::InflateAndBuild(&context, target);
  }
  PngRelease(&context);
  return image;
}

void* ReadWholeFile(const char* path, int32_t* size) {
  if (size) *size = 0;
  if (!path || !size) return nullptr;
  FILE* file = std::fopen(path, "rb");
  if (!file) return nullptr;
  void* buffer = nullptr;
  long length = -1;
  if (std::fseek(file, 0, SEEK_END) == 0) length = std::ftell(file);
  if (length > 0 && uint64_t(length) <= uint64_t(INT32_MAX) && std::fseek(file, 0, SEEK_SET) == 0) {
    buffer = std::calloc(size_t(length), 1);
    if (buffer && std::fread(buffer, 1, size_t(length), file) != size_t(length)) {
      std::free(buffer);
      buffer = nullptr;
    }
  }
  std::fclose(file);
  if (buffer) *size = int32_t(length);
  return buffer;
}

void* PngDecodeFile(const char* path, int32_t target) {
  int32_t size = 0;
  void* bytes = ReadWholeFile(path, &size);
  if (!bytes) return nullptr;
  void* image = PngDecodeMemory(bytes, size, target);
  std::free(bytes);
  return image;
}

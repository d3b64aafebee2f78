// Fuzz target over the PNG decoder. The first byte chooses the output form
// and how the rest is used:
//   as it is (the entry's own checks),
//   with every chunk's CRC recomputed (so mutations reach the chunk rules,
//     the header and the inflation instead of stopping at a CRC),
//   or as the fields of a small image plus its raw scanlines, deflated
//     here (so mutations reach reconstruction and conversion).
// Whenever a parse succeeds, the fast build must give exactly the block of
// the byte-at-a-time build.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <zlib.h>

#include "png/png.h"
#include "png/png_internal.h"

namespace {

void PutBigEndian32(std::vector<uint8_t>* out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(uint8_t(v >> shift));
}

void AddChunk(std::vector<uint8_t>* out, const char* type, const uint8_t* data, size_t length) {
  PutBigEndian32(out, uint32_t(length));
  out->insert(out->end(), type, type + 4);
  out->insert(out->end(), data, data + length);
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type), 4);
  if (length) crc = crc32(crc, data, uInt(length));
  PutBigEndian32(out, uint32_t(crc));
}

void FixCrcs(std::vector<uint8_t>* stream) {
  size_t position = 8;
  while (position + 12 <= stream->size()) {
    uint8_t* p = stream->data() + position;
    uint64_t length = (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
    if (position + 12 + length > stream->size()) break;
    uLong crc = crc32(0, p + 4, uInt(4 + length));
    uint8_t* stored = p + 8 + length;
    stored[0] = uint8_t(crc >> 24);
    stored[1] = uint8_t(crc >> 16);
    stored[2] = uint8_t(crc >> 8);
    stored[3] = uint8_t(crc);
    position += 12 + size_t(length);
  }
}

// A small image: size, type and depth from the first bytes, then PLTE and
// tRNS lengths, then the raw data (deflated here at a level from the input).
std::vector<uint8_t> Synthesize(const uint8_t* data, size_t size) {
  static const uint8_t kFormats[15][2] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16},
                                          {3, 1}, {3, 2}, {3, 4}, {3, 8}, {2, 8},
                                          {2, 16}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};
  std::vector<uint8_t> out = {137, 80, 78, 71, 13, 10, 26, 10};
  if (size < 6) return out;
  uint32_t width = 1 + data[0] % 40;
  uint32_t height = 1 + data[1] % 40;
  const uint8_t* format = kFormats[data[2] % 15];
  uint8_t interlace = data[3] & 1;
  size_t paletteBytes = data[4] % 2 ? size_t(data[4]) * 3 / 2 : 0;
  size_t trnsBytes = data[5] % 3 == 0 ? data[5] % 9 : 0;
  int level = (data[3] >> 1) % 10;
  data += 6;
  size -= 6;
  uint8_t ihdr[13] = {0, 0, 0, 0, 0, 0, 0, 0, format[1], format[0], 0, 0, interlace};
  for (int i = 0; i < 4; ++i) {
    ihdr[i] = uint8_t(width >> (24 - 8 * i));
    ihdr[4 + i] = uint8_t(height >> (24 - 8 * i));
  }
  AddChunk(&out, "IHDR", ihdr, sizeof ihdr);
  auto take = [&](size_t n) {
    n = n < size ? n : size;
    const uint8_t* p = data;
    data += n;
    size -= n;
    return std::vector<uint8_t>(p, p + n);
  };
  std::vector<uint8_t> plte = take(paletteBytes);
  if (!plte.empty()) AddChunk(&out, "PLTE", plte.data(), plte.size());
  std::vector<uint8_t> trns = take(trnsBytes);
  if (trnsBytes) AddChunk(&out, "tRNS", trns.data(), trns.size());
  uLongf bound = compressBound(uLong(size));
  std::vector<uint8_t> zlibData(bound);
  if (compress2(zlibData.data(), &bound, data, uLong(size), level) != Z_OK) return out;
  AddChunk(&out, "IDAT", zlibData.data(), bound);
  AddChunk(&out, "IEND", nullptr, 0);
  return out;
}

// Images whose raw data or output is larger are only decoded, not built
// twice more: a 64 KiB input can carry 67 MB of raw data or ask for an
// output at the decoder's limit (kMaxImagePixelBytes, 256 MiB), and both
// builds of such an image take seconds under the sanitizers, against the
// run's 10 s per input. The row loops they compare are the same at every
// size.
constexpr size_t kLargestCompared = size_t(8) << 20;

// `decoded` is what the decode entry gave for the same stream and target.
void CheckBuildsAgree(const std::vector<uint8_t>& stream, int32_t target, const void* decoded) {
  PngContext context;
  std::memset(&context, 0, sizeof context);
  context.input = stream.data();
  context.inputLength = uint32_t(stream.size());
  png_internal::OutputLayout layout;
  if (PngParse(&context) && context.dataSize <= kLargestCompared &&
      !(png_internal::LayoutFor(&context, target, &layout) &&
        layout.blockSize > kLargestCompared)) {
    void* fast = PngBuildImage(&context, target);
    void* reference = PngBuildImageBytewise(&context, target);
    if ((fast == nullptr) != (reference == nullptr)) std::abort();
    if ((decoded == nullptr) != (reference == nullptr)) std::abort();
    if (fast && png_internal::LayoutFor(&context, target, &layout) &&
        (std::memcmp(fast, reference, layout.blockSize) != 0 ||
         std::memcmp(decoded, reference, layout.blockSize) != 0)) {
      std::abort();
    }
    std::free(fast);
    std::free(reference);
  }
  PngRelease(&context);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 0x7FFFFFFF) return 0;
  int32_t target = 1 + data[0] % 3;
  int mode = (data[0] / 3) % 3;
  std::vector<uint8_t> stream;
  if (mode == 2) {
    stream = Synthesize(data + 1, size - 1);
  } else {
    stream.assign(data + 1, data + size);
    if (mode == 1) FixCrcs(&stream);
  }
  void* image = PngDecodeMemory(stream.data(), int32_t(stream.size()), target);
  if (mode != 0 && stream.size() >= 49) CheckBuildsAgree(stream, target, image);
  std::free(image);
  return 0;
}

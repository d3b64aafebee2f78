// Builds PNG datastreams for tests: chunks with correct CRCs, zlib data,
// and raw scanlines, so that each malformed stream is one line away from a
// good one.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <zlib.h>

#include "png/png.h"

namespace pngtest {

using Bytes = std::vector<uint8_t>;

inline void PutBigEndian32(Bytes* out, uint32_t v) {
  out->push_back(uint8_t(v >> 24));
  out->push_back(uint8_t(v >> 16));
  out->push_back(uint8_t(v >> 8));
  out->push_back(uint8_t(v));
}

inline Bytes Signature() { return {137, 80, 78, 71, 13, 10, 26, 10}; }

// One chunk: length, type, data, CRC over type and data.
inline Bytes Chunk(const char* type, const Bytes& data) {
  Bytes out;
  PutBigEndian32(&out, uint32_t(data.size()));
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type), 4);
  // zlib's crc32 restarts from 0 when handed a null pointer.
  if (!data.empty()) crc = crc32(crc, data.data(), uInt(data.size()));
  PutBigEndian32(&out, uint32_t(crc));
  return out;
}

inline Bytes IhdrData(uint32_t width, uint32_t height, uint8_t depth, uint8_t colour,
                      uint8_t interlace = 0, uint8_t compression = 0, uint8_t filter = 0) {
  Bytes d;
  PutBigEndian32(&d, width);
  PutBigEndian32(&d, height);
  d.insert(d.end(), {depth, colour, compression, filter, interlace});
  return d;
}

inline Bytes Zlib(const Bytes& raw, int level = 6) {
  uLongf size = compressBound(uLong(raw.size()));
  Bytes out(size);
  if (compress2(out.data(), &size, raw.data(), uLong(raw.size()), level) != Z_OK) std::abort();
  out.resize(size);
  return out;
}

// A stream made of chunks in the order they are added; Bytes() appends
// nothing on its own, so tests add IEND themselves where it matters.
class Stream {
 public:
  Stream() : bytes_(Signature()) {}
  Stream& Add(const char* type, const Bytes& data) { return Raw(Chunk(type, data)); }
  Stream& Raw(const Bytes& bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
  }
  Stream& Ihdr(uint32_t width, uint32_t height, uint8_t depth, uint8_t colour,
               uint8_t interlace = 0) {
    return Add("IHDR", IhdrData(width, height, depth, colour, interlace));
  }
  Stream& Idat(const Bytes& zlibData) { return Add("IDAT", zlibData); }
  Stream& End() { return Add("IEND", {}); }
  const Bytes& bytes() const { return bytes_; }
  size_t size() const { return bytes_.size(); }

 private:
  Bytes bytes_;
};

// A complete stream: IHDR, optional extra chunks before IDAT, the raw data
// deflated into one IDAT, IEND.
inline Bytes SimplePng(uint32_t width, uint32_t height, uint8_t depth, uint8_t colour,
                       const Bytes& raw, const std::vector<std::pair<std::string, Bytes>>& extra = {},
                       uint8_t interlace = 0) {
  Stream s;
  s.Ihdr(width, height, depth, colour, interlace);
  for (const auto& chunk : extra) s.Add(chunk.first.c_str(), chunk.second);
  s.Idat(Zlib(raw)).End();
  return s.bytes();
}

// Raw scanlines of a non-interlaced image: every row filter type 0 with the
// given data bytes per row, taken in order from `data`.
inline Bytes RowsWithFilter(uint8_t filter, size_t dataBytesPerRow, const Bytes& data) {
  Bytes raw;
  for (size_t i = 0; i < data.size(); i += dataBytesPerRow) {
    raw.push_back(filter);
    raw.insert(raw.end(), data.begin() + long(i), data.begin() + long(i + dataBytesPerRow));
  }
  return raw;
}

// Reads the Pixel32 at (x, y) of an `Image` block.
inline uint32_t ImagePixel(const void* block, uint32_t x, uint32_t y) {
  const uint8_t* b = static_cast<const uint8_t*>(block);
  uint32_t pitch;
  std::memcpy(&pitch, b + 16, 4);
  uint32_t value;
  std::memcpy(&value, b + 32 + size_t(y) * pitch + size_t(x) * 4, 4);
  return value;
}

inline uint32_t HeaderWord(const void* block, int index) {
  uint32_t value;
  std::memcpy(&value, static_cast<const uint8_t*>(block) + index * 4, 4);
  return value;
}

// Decodes with target Image; null on failure.
inline void* DecodeImage(const Bytes& stream) {
  return PngDecodeMemory(stream.data(), int32_t(stream.size()), PngTarget::Image);
}

// Decoded blocks are released with free, as the decoder's callers do.
struct FreeBlock {
  void operator()(void* p) const { std::free(p); }
};
using Block = std::unique_ptr<void, FreeBlock>;

inline Block Decode(const Bytes& stream, int32_t target = PngTarget::Image) {
  return Block(PngDecodeMemory(stream.data(), int32_t(stream.size()), target));
}

}  // namespace pngtest

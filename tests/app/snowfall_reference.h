// Test helper: the pieces of the snowfall worked out independently of the
// code under test: the runtime's default random sequence, the alpha blend of
// one pixel and the pixel a coordinate lands on.
#pragma once

#include <cmath>
#include <cstdint>

// The Mersenne Twister as the runtime's default generator runs it: seeded
// from 0 with word i = word (i - 1) × 1664525 + 1013904223, then the MT19937
// recurrence and tempering; each draw is the tempered word / 2^32.
class ReferenceSequence {
 public:
  ReferenceSequence() {
    state_[0] = 0;
    for (int i = 1; i < 624; ++i) state_[i] = state_[i - 1] * 1664525u + 1013904223u;
  }

  uint32_t NextWord() {
    if (position_ >= 624) Regenerate();
    uint32_t y = state_[position_++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
  }

  double Next() { return NextWord() * 0x1p-32; }

 private:
  void Regenerate() {
    for (int k = 0; k < 624; ++k) {
      uint32_t y = (state_[k] & 0x80000000u) | (state_[(k + 1) % 624] & 0x7FFFFFFFu);
      state_[k] = state_[(k + 397) % 624] ^ (y >> 1) ^ ((y & 1u) ? 0x9908B0DFu : 0u);
    }
    position_ = 0;
  }

  uint32_t state_[624];
  int position_ = 624;
};

// One channel: d + floor((s − d) × a / 256), modulo 256.
inline uint32_t ReferenceChannel(uint32_t s, uint32_t d, uint32_t a) {
  double moved = std::floor((static_cast<double>(s) - static_cast<double>(d)) * a / 256.0);
  return static_cast<uint32_t>(static_cast<int32_t>(d) + static_cast<int32_t>(moved)) & 0xFFu;
}

// The source pixel blended onto the destination by the source's alpha.
inline uint32_t ReferenceBlend(uint32_t source, uint32_t destination) {
  uint32_t a = source >> 24;
  uint32_t result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    result |= ReferenceChannel((source >> shift) & 0xFFu, (destination >> shift) & 0xFFu, a)
              << shift;
  }
  return result;
}

// The whole pixel a coordinate falls in: the value as a 32-bit float,
// rounded to nearest with halves away from zero.
inline int64_t ReferencePixel(double coordinate) {
  double v = static_cast<float>(coordinate);
  return static_cast<int64_t>(v > 0 ? std::trunc(v + 0.5) : std::trunc(v - 0.5));
}

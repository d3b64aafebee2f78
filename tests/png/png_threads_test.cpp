// The decoder keeps no shared state: decodes on several threads at once
// give the same blocks as one on its own (and the thread sanitizer build
// sees no race).
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "png/png.h"
#include "png_stream_builder.h"

namespace {

using namespace pngtest;

TEST(PngThreads, ConcurrentDecodesGiveTheSameImage) {
  // 64 x 64 RGBA with rows of every filter type; the bottom-up form takes
  // the other way of building, so both run at once.
  Bytes raw;
  for (int y = 0; y < 64; ++y) {
    raw.push_back(uint8_t(y % 5));
    for (int x = 0; x < 64 * 4; ++x) raw.push_back(uint8_t(x * 7 + y * 13));
  }
  const Bytes flat = SimplePng(64, 64, 8, 6, raw);
  void* expected = PngDecodeMemory(flat.data(), int32_t(flat.size()), PngTarget::Image);
  ASSERT_NE(expected, nullptr);
  const size_t size = 32 + 64 * 256;
  std::vector<int> differences(4, -1);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      int count = 0;
      for (int i = 0; i < 50; ++i) {
        void* image = PngDecodeMemory(flat.data(), int32_t(flat.size()), PngTarget::Image);
        count += !image || std::memcmp(image, expected, size) != 0;
        std::free(image);
        void* other = PngDecodeMemory(flat.data(), int32_t(flat.size()), 1 + (t + i) % 3);
        count += !other;
        std::free(other);
      }
      differences[t] = count;
    });
  }
  for (auto& thread : threads) thread.join();
  std::free(expected);
  for (int t = 0; t < 4; ++t) EXPECT_EQ(differences[t], 0) << "thread " << t;
}

}  // namespace

// Decoding the saver's logo: this decoder next to libpng, libspng,
// stb_image and lodepng, and next to zlib's uncompress of the same image
// data alone, in one run. Usage: png_bench [benchmark flags] [logo.png]
// Without a logo file (the default path is the project's
// resources/logo.png), a 1440 x 900 RGBA image with large transparent areas
// and soft edges is made and encoded with libpng at start-up.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <zlib.h>

#include "png/png.h"

#if defined(POMARELO_BENCH_LIBPNG)
#include <png.h>
#endif
#if defined(POMARELO_BENCH_SPNG)
#include <spng.h>
#endif
#if defined(POMARELO_BENCH_STB)
#include <stb_image.h>
#endif
#if defined(POMARELO_BENCH_LODEPNG)
#include <lodepng.h>
#endif

namespace {

std::vector<uint8_t> gPng;        // the datastream under test
std::vector<uint8_t> gImageData;  // its IDAT data joined
size_t gRawSize = 0;              // what the image data inflates to
std::string gSource;

uint32_t BigEndian32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

bool LoadFile(const std::string& path) {
  int32_t size = 0;
  void* bytes = ReadWholeFile(path.c_str(), &size);
  if (!bytes) return false;
  const uint8_t* p = static_cast<const uint8_t*>(bytes);
  gPng.assign(p, p + size);
  std::free(bytes);
  return true;
}

#if defined(POMARELO_BENCH_LIBPNG)
// A picture like the logo: transparent white around a few shapes whose
// edges fade over a few pixels, filled with gradients.
std::vector<uint8_t> MakeLogoPixels(uint32_t width, uint32_t height) {
  std::vector<uint8_t> rgba(size_t(width) * height * 4);
  struct Blob {
    float cx, cy, rx, ry;
  } blobs[] = {{420, 450, 260, 200}, {900, 380, 200, 140}, {1120, 600, 180, 120}, {720, 700, 300, 60}};
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      float coverage = 0;
      for (const Blob& b : blobs) {
        float dx = (x - b.cx) / b.rx, dy = (y - b.cy) / b.ry;
        float distance = (std::sqrt(dx * dx + dy * dy) - 1.0f) * std::fmin(b.rx, b.ry);
        float c = std::fmin(1.0f, std::fmax(0.0f, 0.5f - distance / 3.0f));
        coverage = std::fmax(coverage, c);
      }
      // Horizontal bands of "lettering" inside the first blob.
      if (x > 260 && x < 580 && y > 380 && y < 520 && (x / 14) % 3 != 0 && (y / 10) % 4 != 0) {
        coverage = std::fmin(coverage, 0.35f);
      }
      uint8_t* p = &rgba[(size_t(y) * width + x) * 4];
      if (coverage <= 0) {
        p[0] = p[1] = p[2] = 255;
        p[3] = 0;
      } else {
        p[0] = uint8_t(200 - x / 12);
        p[1] = uint8_t(40 + y / 8);
        p[2] = uint8_t(90 + (x + y) / 20);
        p[3] = uint8_t(std::lround(coverage * 255));
      }
    }
  }
  return rgba;
}

void AppendToVector(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

bool EncodeWithLibpng(const std::vector<uint8_t>& rgba, uint32_t width, uint32_t height) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  gPng.clear();
  png_set_write_fn(png, &gPng, AppendToVector, nullptr);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 9);
  png_set_filter(png, 0, PNG_ALL_FILTERS);
  png_set_compression_buffer_size(png, 8192);  // eleven or so IDAT chunks, like the logo
  png_write_info(png, info);
  for (uint32_t y = 0; y < height; ++y) png_write_row(png, &rgba[size_t(y) * width * 4]);
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}
#endif

bool MakeStandIn() {
#if defined(POMARELO_BENCH_LIBPNG)
  const uint32_t width = 1440, height = 900;
  return EncodeWithLibpng(MakeLogoPixels(width, height), width, height);
#else
  return false;
#endif
}

// The joined IDAT data and the raw size, for the uncompress-only baseline.
bool ExtractImageData() {
  PngContext context = {};
  context.input = gPng.data();
  context.inputLength = uint32_t(gPng.size());
  bool parsed = PngParse(&context);
  if (parsed) gRawSize = context.dataSize;
  PngRelease(&context);
  if (!parsed) return false;
  gImageData.clear();
  for (size_t at = 8; at + 12 <= gPng.size();) {
    uint32_t length = BigEndian32(&gPng[at]);
    if (std::memcmp(&gPng[at + 4], "IDAT", 4) == 0) {
      gImageData.insert(gImageData.end(), &gPng[at + 8], &gPng[at + 8] + length);
    }
    at += 12 + size_t(length);
  }
  return true;
}

void Decode_Pomarelo(benchmark::State& state) {
  for (auto _ : state) {
    void* image = PngDecodeMemory(gPng.data(), int32_t(gPng.size()), PngTarget::Image);
    if (!image) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(image);
    std::free(image);
  }
}

// The least any decoder must do: inflate the image data into a buffer of
// its own.
void Uncompress_Alone(benchmark::State& state) {
  for (auto _ : state) {
    uint8_t* raw = static_cast<uint8_t*>(std::malloc(gRawSize));
    uLongf size = uLongf(gRawSize);
    if (uncompress(raw, &size, gImageData.data(), uLong(gImageData.size())) != Z_OK)
      state.SkipWithError("uncompress failed");
    benchmark::DoNotOptimize(raw);
    std::free(raw);
  }
}

// The same into one buffer reused across iterations (no allocation, no
// fresh pages): a stricter baseline.
void Uncompress_AloneReusedBuffer(benchmark::State& state) {
  std::vector<uint8_t> raw(gRawSize);
  for (auto _ : state) {
    uLongf size = uLongf(gRawSize);
    if (uncompress(raw.data(), &size, gImageData.data(), uLong(gImageData.size())) != Z_OK)
      state.SkipWithError("uncompress failed");
    benchmark::DoNotOptimize(raw.data());
  }
}

#if defined(POMARELO_BENCH_LIBPNG)
void Decode_Libpng(benchmark::State& state) {
  for (auto _ : state) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, gPng.data(), gPng.size())) {
      state.SkipWithError("libpng failed");
      break;
    }
    image.format = PNG_FORMAT_BGRA;
    void* pixels = std::malloc(PNG_IMAGE_SIZE(image));
    png_image_finish_read(&image, nullptr, pixels, 0, nullptr);
    benchmark::DoNotOptimize(pixels);
    std::free(pixels);
  }
}
#endif

#if defined(POMARELO_BENCH_SPNG)
void Decode_Spng(benchmark::State& state) {
  for (auto _ : state) {
    spng_ctx* ctx = spng_ctx_new(0);
    spng_set_png_buffer(ctx, gPng.data(), gPng.size());
    size_t size = 0;
    spng_decoded_image_size(ctx, SPNG_FMT_RGBA8, &size);
    void* pixels = std::malloc(size);
    if (spng_decode_image(ctx, pixels, size, SPNG_FMT_RGBA8, 0) != 0) state.SkipWithError("spng failed");
    benchmark::DoNotOptimize(pixels);
    std::free(pixels);
    spng_ctx_free(ctx);
  }
}
#endif

#if defined(POMARELO_BENCH_STB)
void Decode_StbImage(benchmark::State& state) {
  for (auto _ : state) {
    int w, h, n;
    stbi_uc* pixels = stbi_load_from_memory(gPng.data(), int(gPng.size()), &w, &h, &n, 4);
    if (!pixels) state.SkipWithError("stb_image failed");
    benchmark::DoNotOptimize(pixels);
    stbi_image_free(pixels);
  }
}
#endif

#if defined(POMARELO_BENCH_STB)
// stb_image's own inflater (it skips the Adler-32 check) on the same data:
// shows how much of the gap to stb_image lies in inflation alone.
void Inflate_StbImageAlone(benchmark::State& state) {
  for (auto _ : state) {
    char* raw = static_cast<char*>(std::malloc(gRawSize));
    int produced = stbi_zlib_decode_buffer(raw, int(gRawSize), reinterpret_cast<const char*>(gImageData.data()),
                                           int(gImageData.size()));
    if (produced != int(gRawSize)) state.SkipWithError("stb inflate failed");
    benchmark::DoNotOptimize(raw);
    std::free(raw);
  }
}
#endif

#if defined(POMARELO_BENCH_LODEPNG)
void Inflate_LodepngAlone(benchmark::State& state) {
  for (auto _ : state) {
    unsigned char* raw = nullptr;
    size_t size = 0;
    LodePNGDecompressSettings settings;
    lodepng_decompress_settings_init(&settings);
    if (lodepng_zlib_decompress(&raw, &size, gImageData.data(), gImageData.size(), &settings) != 0 ||
        size != gRawSize)
      state.SkipWithError("lodepng inflate failed");
    benchmark::DoNotOptimize(raw);
    std::free(raw);
  }
}

void Decode_Lodepng(benchmark::State& state) {
  for (auto _ : state) {
    unsigned char* pixels = nullptr;
    unsigned w, h;
    if (lodepng_decode32(&pixels, &w, &h, gPng.data(), gPng.size()) != 0) state.SkipWithError("lodepng failed");
    benchmark::DoNotOptimize(pixels);
    std::free(pixels);
  }
}
#endif

void Register(const char* name, void (*function)(benchmark::State&)) {
  benchmark::RegisterBenchmark(name, function)
      ->Unit(benchmark::kMillisecond)
      ->Repetitions(15)
      ->ReportAggregatesOnly(true)
      ->UseRealTime();
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  std::string path = argc > 1 ? argv[1] : POMARELO_LOGO_PATH;
  if (LoadFile(path)) {
    gSource = path;
  } else if (MakeStandIn()) {
    gSource = "1440 x 900 RGBA stand-in encoded with libpng (no file at " + path + ")";
  } else {
    std::fprintf(stderr, "no logo at %s and no libpng to make a stand-in\n", path.c_str());
    return 1;
  }
  if (!ExtractImageData()) {
    std::fprintf(stderr, "the image does not decode: %s\n", gSource.c_str());
    return 1;
  }
  benchmark::AddCustomContext("image", gSource);
  benchmark::AddCustomContext("image bytes", std::to_string(gPng.size()));
  benchmark::AddCustomContext("raw bytes", std::to_string(gRawSize));
  Register("Uncompress_Alone", Uncompress_Alone);
  Register("Uncompress_AloneReusedBuffer", Uncompress_AloneReusedBuffer);
  Register("Decode_Pomarelo", Decode_Pomarelo);
#if defined(POMARELO_BENCH_LIBPNG)
  Register("Decode_Libpng", Decode_Libpng);
#endif
#if defined(POMARELO_BENCH_SPNG)
  Register("Decode_Spng", Decode_Spng);
#endif
#if defined(POMARELO_BENCH_STB)
  Register("Decode_StbImage", Decode_StbImage);
  Register("Inflate_StbImageAlone", Inflate_StbImageAlone);
#endif
#if defined(POMARELO_BENCH_LODEPNG)
  Register("Decode_Lodepng", Decode_Lodepng);
  Register("Inflate_LodepngAlone", Inflate_LodepngAlone);
#endif
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// Readers for the binary forms of the saver's compiled resources: the
// extended dialog template, the icon group and its icons, a string-table
// block and the version record. They check every length against the bytes
// they are given and report malformed input as failure.
#ifndef POMARELO_TESTS_RESOURCES_RESOURCE_FORMATS_H
#define POMARELO_TESTS_RESOURCES_RESOURCE_FORMATS_H

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace restest {

using Bytes = std::vector<uint8_t>;

enum ResourceType : uint16_t {
  kIcon = 3,
  kDialog = 5,
  kString = 6,
  kGroupIcon = 14,
  kVersion = 16,
};

// Where a resource is read from: a name ("KZ_SCRNSAVER_ABOUT") or an id.
struct ResourceName {
  const char* name = nullptr;  // null: use id
  uint16_t id = 0;
};

// The bytes of one resource of the program; false if it is absent. Defined
// once per build: from the compiled .res file natively, from the test
// program's own module on Windows.
bool LoadResourceBytes(uint16_t type, ResourceName name, Bytes* out);
// Where the resources come from, for messages.
std::string ResourceOrigin();

struct DialogItem {
  uint32_t help_id = 0, ex_style = 0, style = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  int32_t id = 0;
  std::string window_class;  // lower case; predefined ordinals as names
  std::string text;
  uint16_t extra_bytes = 0;
};

struct DialogTemplate {
  uint16_t version = 0, signature = 0;
  uint32_t help_id = 0, ex_style = 0, style = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  std::string menu, window_class, caption;
  bool has_font = false;
  uint16_t point_size = 0, weight = 0;
  uint8_t italic = 0, charset = 0;
  std::string typeface;
  std::vector<DialogItem> items;
};

// Reads an extended dialog template; false if it is not one or is cut short.
bool ParseDialogEx(const Bytes& data, DialogTemplate* out);

struct GroupIconEntry {
  uint8_t width = 0, height = 0, colour_count = 0;
  uint16_t planes = 0, bit_count = 0;
  uint32_t bytes_in_res = 0;
  uint16_t id = 0;
};
bool ParseGroupIcon(const Bytes& data, std::vector<GroupIconEntry>* out);

// One icon image: the BITMAPINFOHEADER, its palette, colour and mask rows.
struct IconImage {
  int32_t width = 0, height = 0;  // height as stored: twice the icon's
  uint16_t bit_count = 0;
  uint32_t palette_entries = 0;
  std::vector<uint32_t> palette;  // 0x00RRGGBB
  // Per pixel, top row first: the 32-bit value 0xAARRGGBB (for 8 bits per
  // pixel: the palette colour with alpha 255) and the mask bit.
  std::vector<uint32_t> pixels;
  std::vector<uint8_t> index;  // 8 bits per pixel only
  std::vector<uint8_t> mask;   // 1: transparent
};
bool ParseIconImage(const Bytes& data, IconImage* out);

// The 16 strings of a string-table block; false if the block is malformed.
bool ParseStringBlock(const Bytes& data, std::vector<std::string>* out);

struct VersionInfo {
  uint32_t signature = 0;
  uint32_t file_version_ms = 0, file_version_ls = 0;
  uint32_t product_version_ms = 0, product_version_ls = 0;
  uint32_t file_type = 0;
  std::map<std::string, std::string> strings;  // every StringTable's values
};
bool ParseVersionInfo(const Bytes& data, VersionInfo* out);

// Reads the entries of a compiled .res file (natively).
struct ResEntry {
  uint16_t type_id = 0;  // 0 when the type is a name
  std::string type_name;
  uint16_t name_id = 0;  // 0 when the name is a string
  std::string name;      // as stored
  uint16_t language = 0;
  Bytes data;
};
bool ParseResFile(const Bytes& file, std::vector<ResEntry>* out);

}  // namespace restest

#endif

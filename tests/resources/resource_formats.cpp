#include "resource_formats.h"

#include <cctype>

namespace restest {
namespace {

// A bounds-checked little-endian reader; once a read falls outside the
// data every further read yields 0 and ok() stays false.
class Reader {
 public:
  Reader(const Bytes& data, size_t begin, size_t end) : d_(data), pos_(begin), end_(end) {
    if (end_ > d_.size() || begin > end_) ok_ = false;
  }
  bool ok() const { return ok_; }
  size_t pos() const { return pos_; }
  size_t end() const { return end_; }

  uint8_t U8() { return Need(1) ? d_[pos_++] : 0; }
  uint16_t U16() {
    if (!Need(2)) return 0;
    uint16_t v = static_cast<uint16_t>(d_[pos_] | d_[pos_ + 1] << 8);
    pos_ += 2;
    return v;
  }
  uint32_t U32() {
    uint32_t lo = U16();
    uint32_t hi = U16();
    return lo | hi << 16;
  }
  int16_t S16() { return static_cast<int16_t>(U16()); }
  int32_t S32() { return static_cast<int32_t>(U32()); }

  // Aligns to a multiple of four bytes counted from `base`.
  void Align4(size_t base) {
    size_t rel = pos_ - base;
    size_t pad = (4 - rel % 4) % 4;
    if (pos_ + pad > end_) {
      pos_ = end_;  // padding at the very end may be left out
      return;
    }
    pos_ += pad;
  }
  void Skip(size_t n) {
    if (Need(n)) pos_ += n;
  }
  void Seek(size_t p) {
    if (p > end_) {
      ok_ = false;
      return;
    }
    pos_ = p;
  }

  // A zero-terminated UTF-16 string, kept as bytes when it is 7-bit text;
  // any other character becomes '?'.
  std::string Utf16z() {
    std::string s;
    for (;;) {
      if (!ok_) return s;
      uint16_t c = U16();
      if (!ok_ || c == 0) return s;
      s.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    }
  }

  // A name or ordinal field of a dialog template.
  std::string SzOrOrd(bool class_field) {
    uint16_t first = U16();
    if (first == 0) return std::string();
    if (first == 0xFFFF) {
      uint16_t ord = U16();
      if (class_field) {
        switch (ord) {
          case 0x80: return "button";
          case 0x81: return "edit";
          case 0x82: return "static";
          case 0x83: return "listbox";
          case 0x84: return "scrollbar";
          case 0x85: return "combobox";
        }
      }
      return "#" + std::to_string(ord);
    }
    pos_ -= 2;
    return Utf16z();
  }

 private:
  bool Need(size_t n) {
    if (!ok_ || n > end_ - pos_) {
      ok_ = false;
      return false;
    }
    return true;
  }
  const Bytes& d_;
  size_t pos_;
  size_t end_;
  bool ok_ = true;
};

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

bool ParseDialogEx(const Bytes& data, DialogTemplate* out) {
  Reader r(data, 0, data.size());
  DialogTemplate t;
  t.version = r.U16();
  t.signature = r.U16();
  if (!r.ok() || t.version != 1 || t.signature != 0xFFFF) return false;
  t.help_id = r.U32();
  t.ex_style = r.U32();
  t.style = r.U32();
  uint16_t count = r.U16();
  t.x = r.S16();
  t.y = r.S16();
  t.cx = r.S16();
  t.cy = r.S16();
  t.menu = r.SzOrOrd(false);
  t.window_class = Lower(r.SzOrOrd(true));
  t.caption = r.Utf16z();
  // DS_SETFONT (0x40) or DS_SHELLFONT (0x48) announce the font fields.
  if (t.style & 0x40) {
    t.has_font = true;
    t.point_size = r.U16();
    t.weight = r.U16();
    t.italic = r.U8();
    t.charset = r.U8();
    t.typeface = r.Utf16z();
  }
  for (uint16_t i = 0; i < count && r.ok(); ++i) {
    r.Align4(0);
    DialogItem item;
    item.help_id = r.U32();
    item.ex_style = r.U32();
    item.style = r.U32();
    item.x = r.S16();
    item.y = r.S16();
    item.cx = r.S16();
    item.cy = r.S16();
    item.id = r.S32();
    item.window_class = Lower(r.SzOrOrd(true));
    item.text = r.SzOrOrd(false);
    item.extra_bytes = r.U16();
    r.Skip(item.extra_bytes);
    t.items.push_back(item);
  }
  if (!r.ok()) return false;
  *out = t;
  return true;
}

bool ParseGroupIcon(const Bytes& data, std::vector<GroupIconEntry>* out) {
  Reader r(data, 0, data.size());
  uint16_t reserved = r.U16();
  uint16_t type = r.U16();
  uint16_t count = r.U16();
  if (!r.ok() || reserved != 0 || type != 1) return false;
  std::vector<GroupIconEntry> entries;
  for (uint16_t i = 0; i < count; ++i) {
    GroupIconEntry e;
    e.width = r.U8();
    e.height = r.U8();
    e.colour_count = r.U8();
    r.U8();
    e.planes = r.U16();
    e.bit_count = r.U16();
    e.bytes_in_res = r.U32();
    e.id = r.U16();
    entries.push_back(e);
  }
  if (!r.ok()) return false;
  *out = entries;
  return true;
}

bool ParseIconImage(const Bytes& data, IconImage* out) {
  Reader r(data, 0, data.size());
  IconImage img;
  uint32_t header_size = r.U32();
  img.width = r.S32();
  img.height = r.S32();
  uint16_t planes = r.U16();
  img.bit_count = r.U16();
  uint32_t compression = r.U32();
  r.Skip(12);  // image size, pixels per metre
  uint32_t used = r.U32();
  r.U32();
  if (!r.ok() || header_size != 40 || planes != 1 || compression != 0) return false;
  if (img.width <= 0 || img.width > 256 || img.height != 2 * img.width) return false;
  if (img.bit_count != 8 && img.bit_count != 32) return false;
  const int w = img.width;
  const int h = img.height / 2;
  if (img.bit_count == 8) {
    img.palette_entries = used ? used : 256;
    if (img.palette_entries > 256) return false;
    for (uint32_t i = 0; i < img.palette_entries; ++i) {
      uint32_t bgr0 = r.U32();
      img.palette.push_back(bgr0 & 0x00FFFFFF);
    }
  }
  const size_t colour_stride = (static_cast<size_t>(w) * img.bit_count + 31) / 32 * 4;
  const size_t mask_stride = (static_cast<size_t>(w) + 31) / 32 * 4;
  const size_t colour_start = r.pos();
  const size_t mask_start = colour_start + colour_stride * h;
  if (!r.ok() || mask_start + mask_stride * h != data.size()) return false;
  img.pixels.assign(static_cast<size_t>(w) * h, 0);
  img.mask.assign(static_cast<size_t>(w) * h, 0);
  if (img.bit_count == 8) img.index.assign(static_cast<size_t>(w) * h, 0);
  for (int y = 0; y < h; ++y) {
    // Rows are stored bottom-up.
    const size_t row = static_cast<size_t>(h - 1 - y);
    const uint8_t* c = data.data() + colour_start + row * colour_stride;
    const uint8_t* m = data.data() + mask_start + row * mask_stride;
    for (int x = 0; x < w; ++x) {
      const size_t i = static_cast<size_t>(y) * w + x;
      if (img.bit_count == 32) {
        const uint8_t* p = c + 4 * x;
        img.pixels[i] = static_cast<uint32_t>(p[3]) << 24 | p[2] << 16 | p[1] << 8 | p[0];
      } else {
        uint8_t idx = c[x];
        if (idx >= img.palette_entries) return false;
        img.index[i] = idx;
        img.pixels[i] = 0xFF000000u | img.palette[idx];
      }
      img.mask[i] = (m[x >> 3] >> (7 - (x & 7))) & 1;
    }
  }
  *out = img;
  return true;
}

bool ParseStringBlock(const Bytes& data, std::vector<std::string>* out) {
  Reader r(data, 0, data.size());
  std::vector<std::string> strings;
  for (int i = 0; i < 16; ++i) {
    uint16_t n = r.U16();
    std::string s;
    for (uint16_t k = 0; k < n; ++k) {
      uint16_t c = r.U16();
      s.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    }
    strings.push_back(s);
  }
  if (!r.ok()) return false;
  *out = strings;
  return true;
}

namespace {

// One node of the version record: {length, value length, type, key,
// value, children}, each part aligned to four bytes.
bool WalkVersionNode(const Bytes& data, size_t begin, size_t limit, int depth,
                     const std::string& parent, VersionInfo* info) {
  if (depth > 6) return false;
  Reader r(data, begin, limit);
  uint16_t length = r.U16();
  uint16_t value_length = r.U16();
  uint16_t type = r.U16();
  if (!r.ok() || length < 6 || begin + length > limit) return false;
  const size_t end = begin + length;
  Reader node(data, begin + 6, end);
  std::string key = node.Utf16z();
  node.Align4(0);
  if (!node.ok()) return false;
  const size_t value_at = node.pos();
  const size_t value_bytes = type == 1 ? 2u * value_length : value_length;
  if (value_at + value_bytes > end) return false;
  if (depth == 0) {
    if (key != "VS_VERSION_INFO" || value_bytes < 52) return false;
    Reader v(data, value_at, value_at + value_bytes);
    info->signature = v.U32();
    v.U32();  // structure version
    info->file_version_ms = v.U32();
    info->file_version_ls = v.U32();
    info->product_version_ms = v.U32();
    info->product_version_ls = v.U32();
    v.Skip(12);  // flags mask, flags, OS
    info->file_type = v.U32();
    if (!v.ok()) return false;
  } else if (type == 1 && depth == 3 && parent.size() == 8) {
    // A String inside a StringTable ("040904B0"): text value.
    Reader v(data, value_at, value_at + value_bytes);
    std::string value;
    for (size_t k = 0; k < value_length; ++k) {
      uint16_t c = v.U16();
      if (c == 0) break;
      value.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    }
    if (!v.ok()) return false;
    info->strings[key] = value;
  }
  Reader children(data, value_at + value_bytes, end);
  children.Align4(0);
  size_t at = children.pos();
  while (at + 6 <= end) {
    Reader peek(data, at, end);
    uint16_t child_length = peek.U16();
    if (child_length == 0) break;
    if (!WalkVersionNode(data, at, end, depth + 1, key, info)) return false;
    at += child_length;
    at = (at + 3) & ~static_cast<size_t>(3);
  }
  return true;
}

}  // namespace

bool ParseVersionInfo(const Bytes& data, VersionInfo* out) {
  VersionInfo info;
  if (!WalkVersionNode(data, 0, data.size(), 0, std::string(), &info)) return false;
  *out = info;
  return true;
}

bool ParseResFile(const Bytes& file, std::vector<ResEntry>* out) {
  std::vector<ResEntry> entries;
  size_t at = 0;
  while (at < file.size()) {
    Reader r(file, at, file.size());
    uint32_t data_size = r.U32();
    uint32_t header_size = r.U32();
    if (!r.ok() || header_size < 32 || header_size > file.size() - at ||
        data_size > file.size() - at - header_size) {
      return false;
    }
    Reader h(file, at + 8, at + header_size);
    ResEntry e;
    std::string type = h.SzOrOrd(false);
    std::string name = h.SzOrOrd(false);
    if (!type.empty() && type[0] == '#') {
      e.type_id = static_cast<uint16_t>(std::stoi(type.substr(1)));
    } else {
      e.type_name = type;
    }
    if (!name.empty() && name[0] == '#') {
      e.name_id = static_cast<uint16_t>(std::stoi(name.substr(1)));
    } else {
      e.name = name;
    }
    h.Align4(at);
    h.U32();  // data version
    h.U16();  // memory flags
    e.language = h.U16();
    if (!h.ok()) return false;
    const size_t data_at = at + header_size;
    e.data.assign(file.begin() + data_at, file.begin() + data_at + data_size);
    // The first entry of every .res file is an empty marker.
    if (!(data_size == 0 && e.type_id == 0 && e.type_name.empty())) entries.push_back(e);
    at = (data_at + data_size + 3) & ~static_cast<size_t>(3);
  }
  *out = entries;
  return true;
}

}  // namespace restest

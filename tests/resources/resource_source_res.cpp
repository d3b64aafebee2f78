// Natively the resources come from the .res file that the build compiles
// from the resource script (POMARELO_RES_FILE).
#include <cctype>
#include <cstdio>

#include "resource_formats.h"

namespace restest {
namespace {

bool ReadFile(const char* path, Bytes* out) {
  std::FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  Bytes data;
  unsigned char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) data.insert(data.end(), buffer, buffer + n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  if (ok) *out = data;
  return ok;
}

const std::vector<ResEntry>* Entries() {
  static std::vector<ResEntry> entries;
  static bool loaded = false;
  static bool ok = false;
  if (!loaded) {
    loaded = true;
    Bytes file;
    ok = ReadFile(POMARELO_RES_FILE, &file) && ParseResFile(file, &entries);
  }
  return ok ? &entries : nullptr;
}

bool SameName(const std::string& stored, const char* wanted) {
  // Resource names are matched without regard to case, as Windows does.
  size_t i = 0;
  for (; wanted[i]; ++i) {
    if (i >= stored.size() ||
        std::toupper(static_cast<unsigned char>(stored[i])) !=
            std::toupper(static_cast<unsigned char>(wanted[i]))) {
      return false;
    }
  }
  return i == stored.size();
}

}  // namespace

bool LoadResourceBytes(uint16_t type, ResourceName name, Bytes* out) {
  const std::vector<ResEntry>* entries = Entries();
  if (!entries) return false;
  for (const ResEntry& e : *entries) {
    if (e.type_id != type) continue;
    const bool match = name.name ? (e.name_id == 0 && SameName(e.name, name.name))
                                 : (e.name_id == name.id && e.name.empty());
    if (match) {
      *out = e.data;
      return true;
    }
  }
  return false;
}

std::string ResourceOrigin() { return POMARELO_RES_FILE; }

}  // namespace restest

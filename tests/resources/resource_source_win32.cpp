// On Windows the resources are linked into the test program itself and
// read back the way the saver finds its about box.
#include <windows.h>

#include "resource_formats.h"

namespace restest {

bool LoadResourceBytes(uint16_t type, ResourceName name, Bytes* out) {
  HMODULE module = GetModuleHandleA(nullptr);
  LPCSTR id = name.name ? name.name : MAKEINTRESOURCEA(name.id);
  HRSRC found = FindResourceA(module, id, MAKEINTRESOURCEA(type));
  if (!found) return false;
  HGLOBAL loaded = LoadResource(module, found);
  DWORD size = SizeofResource(module, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return false;
  const uint8_t* p = static_cast<const uint8_t*>(bytes);
  out->assign(p, p + size);
  return true;
}

std::string ResourceOrigin() { return "the test program's own module"; }

}  // namespace restest

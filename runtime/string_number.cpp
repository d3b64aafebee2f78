// Text to number: &B, &O and &H prefixes read as 32-bit integers in base 2,
// 8 and 16; everything else goes to the platform's strtod.
#include <cstdlib>
#include <cstring>

#include "runtime/strings.h"

namespace {

constexpr size_t kStackTextSize = 128;

// strtod needs a terminated text; the copy keeps the read inside the
// string's own length whatever its buffer holds beyond it.
double DecimalValue(const char* bytes, size_t length) {
  char local[kStackTextSize];
  char* text = length < kStackTextSize ? local : static_cast<char*>(malloc(length + 1));
  if (!text) return 0.0;
  memcpy(text, bytes, length);
  text[length] = '\0';
  double value = strtod(text, nullptr);
  if (text != local) free(text);
  return value;
}

int32_t RadixOfPrefix(char letter) {
  switch (letter) {
    case 'B': case 'b': return 2;
    case 'O': case 'o': return 8;
    case 'H': case 'h': return 16;
    default: return 0;
  }
}

double ParseText(const char* bytes, int32_t length) {
  while (length > 0 && *bytes == ' ') {
    ++bytes;
    --length;
  }
  if (length <= 0) return 0.0;
  if (length >= 2 && bytes[0] == '&') {
    int32_t base = RadixOfPrefix(bytes[1]);
    if (base) return ParseRadix(bytes + 2, length - 2, base);
  }
  return DecimalValue(bytes, static_cast<size_t>(length));
}

}  // namespace

int32_t ParseRadix(const char* bytes, int32_t count, int32_t base) {
  if (!bytes || (base != 2 && base != 8 && base != 16)) return 0;
  uint32_t value = 0;
  for (int32_t i = 0; i < count; ++i) {
    int32_t c = static_cast<signed char>(bytes[i]);
    int32_t digit = c - 48;
    if (base == 16) {
      if (digit > 9) digit = c - 55;
      if (digit > 16) digit -= 32;
    }
    value = value * static_cast<uint32_t>(base) + static_cast<uint32_t>(digit);
  }
  return static_cast<int32_t>(value);
}

double StrToNumber(StringDescriptor* s) {
  if (!s) return 0.0;
  double value = 0.0;
  if (s->data && StrLen(s) != 0) {
    value = ParseText(s->data, static_cast<int32_t>(StrLen(s)));
  }
  StrRelease(s);
  return value;
}

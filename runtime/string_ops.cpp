// The string operations: parts of a string, lower case, comparison, length,
// assignment. Each consumes the temporaries it is given.
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "runtime/runtime_context.h"

namespace {

// Called with the string lock held; EmptyString when no temporary can be had.
StringDescriptor* TemporaryCopy(const char* bytes, int32_t count) {
  StringDescriptor* result = StrTempAllocLocked(count);
  if (!result) return EmptyString();
  memcpy(result->data, bytes, static_cast<size_t>(count));
  result->data[count] = '\0';
  return result;
}

StringDescriptor* Part(StringDescriptor* s, int32_t count, bool fromRight) {
  if (!s) return EmptyString();
  StringLockEnter();
  StringDescriptor* result = EmptyString();
  int32_t length = static_cast<int32_t>(StrLen(s));
  if (s->data && count > 0 && length > 0) {
    if (count > length) count = length;
    result = TemporaryCopy(fromRight ? s->data + (length - count) : s->data, count);
  }
  StrReleaseLocked(s);
  StringLockLeave();
  return result;
}

struct Bytes {
  const char* data;
  uint32_t length;
};

Bytes BytesOf(const void* s, int32_t kind) {
  if (kind == kDescriptorKind) {
    auto* d = static_cast<const StringDescriptor*>(s);
    return {d->data, d->data ? StrLen(d) : 0u};
  }
  auto* text = static_cast<const char*>(s);
  return {text, static_cast<uint32_t>(strlen(text))};
}

void ReleaseIfDescriptor(const void* s, int32_t kind) {
  if (s && kind == kDescriptorKind) StrReleaseLocked(static_cast<StringDescriptor*>(const_cast<void*>(s)));
}

}  // namespace

StringDescriptor* StrLeft(StringDescriptor* s, int32_t count) { return Part(s, count, false); }

StringDescriptor* StrRight(StringDescriptor* s, int32_t count) { return Part(s, count, true); }

StringDescriptor* StrLower(StringDescriptor* s) {
  if (!s) return EmptyString();
  StringLockEnter();
  StringDescriptor* result = EmptyString();
  if (s->data) {
    int32_t length = static_cast<int32_t>(StrLen(s));
    StringDescriptor* lower = StrTempAllocLocked(length);
    if (lower) {
      for (int32_t i = 0; i < length; ++i) {
        int c = static_cast<unsigned char>(s->data[i]);
        lower->data[i] = static_cast<char>(isupper(c) ? tolower(c) : c);
      }
      lower->data[length] = '\0';
      result = lower;
    }
  }
  StrReleaseLocked(s);
  StringLockLeave();
  return result;
}

int32_t StrCompare(const void* a, int32_t aKind, const void* b, int32_t bKind) {
  int32_t result = 0;
  if (a && b) {
    Bytes left = BytesOf(a, aKind);
    Bytes right = BytesOf(b, bKind);
    uint32_t n = left.length < right.length ? left.length : right.length;
    int difference = n ? memcmp(left.data, right.data, n) : 0;
    if (difference != 0)
      result = difference > 0 ? 1 : -1;
    else if (left.length != right.length)
      result = left.length > right.length ? 1 : -1;
  } else if (a) {
    result = BytesOf(a, aKind).length != 0 ? 1 : 0;
  } else if (b) {
    result = BytesOf(b, bKind).length != 0 ? -1 : 0;
  }
  StringLockEnter();
  ReleaseIfDescriptor(a, aKind);
  ReleaseIfDescriptor(b, bKind);
  StringLockLeave();
  return result;
}

int32_t StrLength(const void* s, int32_t kind) {
  if (!s) return 0;
  if (kind != kDescriptorKind) return static_cast<int32_t>(strlen(static_cast<const char*>(s)));
  auto* d = static_cast<StringDescriptor*>(const_cast<void*>(s));
  int32_t length = static_cast<int32_t>(StrLen(d));
  StrRelease(d);
  return length;
}

void* StrAssign(void* destination, int32_t destinationKind, const void* source, int32_t sourceKind,
                int32_t fill) {
  StringLockEnter();
  // The shared empty string is never written, and a byte buffer of
  // negative size holds nothing.
  bool writable = destination && destination != EmptyString() &&
                  (destinationKind == kDescriptorKind || destinationKind >= 0);
  if (!writable) {
    ReleaseIfDescriptor(source, sourceKind);
    StringLockLeave();
    return nullptr;
  }
  Bytes from = source ? BytesOf(source, sourceKind) : Bytes{nullptr, 0};

  if (destinationKind == kDescriptorKind) {
    auto* to = static_cast<StringDescriptor*>(destination);
    auto* fromDescriptor =
        sourceKind == kDescriptorKind ? static_cast<StringDescriptor*>(const_cast<void*>(source)) : nullptr;
    if (fromDescriptor == to) {
      // Assigning a string to itself changes and consumes nothing.
      StringLockLeave();
      return destination;
    }
    if (from.length == 0) {
      StrDelete(to);
    } else if (fromDescriptor && (fromDescriptor->length & kTemporaryBit)) {
      StrDelete(to);
      to->data = fromDescriptor->data;
      to->length = from.length;
      to->capacity = fromDescriptor->capacity;
      *fromDescriptor = StringDescriptor{nullptr, 0, 0};
      StrReleaseLocked(fromDescriptor);
      StringLockLeave();
      return destination;
    } else {
      // Bytes that lie in the destination's own buffer would be freed by
      // the resize before they are copied: copy them aside first.
      char* aside = nullptr;
      if (to->data && from.data >= to->data && from.data <= to->data + to->capacity) {
        aside = static_cast<char*>(malloc(from.length));
        if (aside) memcpy(aside, from.data, from.length);
        from.data = aside;
      }
      bool ready = from.data != nullptr;
      if (ready && StrLen(to) != from.length) ready = StrResize(to, static_cast<int32_t>(from.length));
      if (ready) {
        memmove(to->data, from.data, from.length);
        to->data[from.length] = '\0';
      }
      free(aside);
    }
  } else {
    auto* to = static_cast<char*>(destination);
    if (from.length == 0) {
      to[0] = '\0';
      if (fill && destinationKind > 0) memset(to, 0, static_cast<size_t>(destinationKind));
    } else {
      uint32_t count = from.length;
      if (destinationKind > 0 && count > static_cast<uint32_t>(destinationKind - 1))
        count = static_cast<uint32_t>(destinationKind - 1);
      memmove(to, from.data, count);
      to[count] = '\0';
      if (fill && destinationKind > 0 && count < static_cast<uint32_t>(destinationKind - 1))
        memset(to + count, 0, static_cast<size_t>(destinationKind - 1) - count);
    }
  }
  ReleaseIfDescriptor(source, sourceKind);
  StringLockLeave();
  return destination;
}

// The runtime's string record, its pool of temporaries, the command line as
// a string and the array descriptor.
#pragma once

#include <cstdint>

constexpr uint32_t kTemporaryBit = 0x80000000u;
constexpr uint32_t kLengthMask = 0x7FFFFFFFu;
constexpr int32_t kDescriptorKind = -1;  // the pointer addresses a StringDescriptor
constexpr int kTempPoolSize = 256;

struct StringDescriptor {
  char* data;         // characters and a NUL; null when no buffer is owned
  uint32_t length;    // low 31 bits: length; top bit: temporary
  int32_t capacity;   // character bytes the buffer holds, NUL not counted
};

inline uint32_t StrLen(const StringDescriptor* s) { return s->length & kLengthMask; }

// The shared empty string; never a temporary, releasing it does nothing.
StringDescriptor* EmptyString();

// Temporaries. The Locked forms expect the string lock to be held.
StringDescriptor* StrTempAlloc(int32_t length);
StringDescriptor* StrTempAllocLocked(int32_t length);
int32_t StrRelease(StringDescriptor* s);
int32_t StrReleaseLocked(StringDescriptor* s);
bool StrResize(StringDescriptor* s, int32_t length);
// Number of pool entries in use (for tests and diagnostics).
int32_t StrTempInUse();

// The string lock (recursive).
void StringLockEnter();
void StringLockLeave();

StringDescriptor* CommandText(int32_t index);
StringDescriptor* StrLeft(StringDescriptor* s, int32_t count);
StringDescriptor* StrRight(StringDescriptor* s, int32_t count);
StringDescriptor* StrLower(StringDescriptor* s);
int32_t StrCompare(const void* a, int32_t aKind, const void* b, int32_t bKind);
int32_t StrLength(const void* s, int32_t kind);
double StrToNumber(StringDescriptor* s);
void* StrAssign(void* destination, int32_t destinationKind, const void* source,
                int32_t sourceKind, int32_t fill);
void StrDelete(StringDescriptor* s);
int32_t ParseRadix(const char* bytes, int32_t count, int32_t base);

struct ArrayDimension {
  int32_t count;
  int32_t lowerBound;
  int32_t upperBound;
};

// dimensions trailing triples follow the fixed part; Dims is the capacity.
template <int Dims>
struct ArrayDescriptor {
  void* data;
  void* first;
  int32_t totalSize;
  int32_t elementSize;
  int32_t dimensionCount;
  ArrayDimension dimension[Dims];
};

// dimension counts from 1; 0 also means the first.
template <int Dims>
int32_t LowerBound(const ArrayDescriptor<Dims>& a, int32_t dimension) {
  return a.dimension[dimension > 0 ? dimension - 1 : dimension].lowerBound;
}
template <int Dims>
int32_t UpperBound(const ArrayDescriptor<Dims>& a, int32_t dimension) {
  return a.dimension[dimension > 0 ? dimension - 1 : dimension].upperBound;
}

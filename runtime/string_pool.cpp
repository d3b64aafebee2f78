// The string lock, the shared empty string, the buffer growth rule and the
// fixed pool of 256 temporaries that string results are made in.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "runtime/runtime_context.h"
#include "runtime/runtime_testing.h"

using namespace runtime_detail;

namespace {

struct PoolNode {
  PoolNode* previous;
  PoolNode* next;
  StringDescriptor descriptor;
};

// Guarded by the string lock.
PoolNode pool[kTempPoolSize];
bool poolBuilt = false;
bool nodeInUse[kTempPoolSize];
PoolNode* freeList = nullptr;
PoolNode* inUseFirst = nullptr;
PoolNode* inUseLast = nullptr;
int32_t inUseCount = 0;

void* (*allocateBuffer)(size_t) = malloc;

void BuildPool() {
  for (int i = 0; i < kTempPoolSize; ++i) {
    pool[i].previous = nullptr;
    pool[i].next = i + 1 < kTempPoolSize ? &pool[i + 1] : nullptr;
    pool[i].descriptor = StringDescriptor{nullptr, 0, 0};
    nodeInUse[i] = false;
  }
  freeList = &pool[0];
  inUseFirst = inUseLast = nullptr;
  inUseCount = 0;
  poolBuilt = true;
}

bool InsidePool(const StringDescriptor* s) {
  auto address = reinterpret_cast<uintptr_t>(s);
  return address >= reinterpret_cast<uintptr_t>(&pool[0]) &&
         address < reinterpret_cast<uintptr_t>(&pool[kTempPoolSize]);
}

// The node whose descriptor s is, when s is exactly one; null otherwise.
PoolNode* NodeOf(const StringDescriptor* s) {
  if (!InsidePool(s)) return nullptr;
  uintptr_t offset = reinterpret_cast<uintptr_t>(s) - reinterpret_cast<uintptr_t>(&pool[0]);
  if (offset % sizeof(PoolNode) != offsetof(PoolNode, descriptor)) return nullptr;
  return &pool[offset / sizeof(PoolNode)];
}

PoolNode* TakeNode() {
  if (!poolBuilt) BuildPool();
  PoolNode* node = freeList;
  if (!node) return nullptr;
  freeList = node->next;
  node->previous = inUseLast;
  node->next = nullptr;
  if (inUseLast)
    inUseLast->next = node;
  else
    inUseFirst = node;
  inUseLast = node;
  ++inUseCount;
  nodeInUse[node - pool] = true;
  node->descriptor = StringDescriptor{nullptr, 0, 0};
  return node;
}

void ReturnNode(PoolNode* node) {
  if (node->previous)
    node->previous->next = node->next;
  else
    inUseFirst = node->next;
  if (node->next)
    node->next->previous = node->previous;
  else
    inUseLast = node->previous;
  --inUseCount;
  nodeInUse[node - pool] = false;
  // A pool descriptor owns its buffer even if its temporary bit was lost.
  free(node->descriptor.data);
  node->descriptor = StringDescriptor{nullptr, 0, 0};
  node->previous = nullptr;
  node->next = freeList;
  freeList = node;
}

}  // namespace

void RuntimeSetStringAllocatorForTesting(void* (*allocate)(size_t)) {
  allocateBuffer = allocate ? allocate : malloc;
}

StringDescriptor* EmptyString() { return &context.emptyString; }

void StringLockEnter() { os::LockEnter(stringLock); }
void StringLockLeave() { os::LockLeave(stringLock); }

void StrDelete(StringDescriptor* s) {
  if (!s || !s->data) return;
  free(s->data);
  s->data = nullptr;
  s->length = 0;
  s->capacity = 0;
}

bool StrResize(StringDescriptor* s, int32_t length) {
  if (!s || length < 0) return false;
  int64_t rounded = (static_cast<int64_t>(length) + 31) / 32 * 32;
  int64_t target = rounded + rounded / 8;
  if (target > INT32_MAX) target = length;
  uint32_t temporary = s->length & kTemporaryBit;
  if (s->data && s->capacity >= length && s->capacity - s->capacity / 8 <= target) {
    s->length = temporary | static_cast<uint32_t>(length);
    return true;
  }
  StrDelete(s);
  int32_t capacity = static_cast<int32_t>(target);
  char* buffer = static_cast<char*>(allocateBuffer(static_cast<size_t>(capacity) + 1));
  if (!buffer && capacity != length) {
    capacity = length;
    buffer = static_cast<char*>(allocateBuffer(static_cast<size_t>(capacity) + 1));
  }
  if (!buffer) return false;
  s->data = buffer;
  s->capacity = capacity;
  // A temporary stays one across a resize, so that its release frees it.
  s->length = temporary | static_cast<uint32_t>(length);
  return true;
}

StringDescriptor* StrTempAllocLocked(int32_t length) {
  if (length < 0) return nullptr;
  PoolNode* node = TakeNode();
  if (!node) return nullptr;
  if (!StrResize(&node->descriptor, length)) {
    ReturnNode(node);
    return nullptr;
  }
  node->descriptor.length |= kTemporaryBit;
  return &node->descriptor;
}

StringDescriptor* StrTempAlloc(int32_t length) {
  StringLockEnter();
  StringDescriptor* s = StrTempAllocLocked(length);
  StringLockLeave();
  return s;
}

int32_t StrReleaseLocked(StringDescriptor* s) {
  if (!s) return -1;
  PoolNode* node = NodeOf(s);
  // Pool storage that is not a live entry's descriptor is left alone: an entry returned
  // twice to the free list would hand one descriptor to two owners.
  if (InsidePool(s) && (!node || !nodeInUse[node - pool])) return -1;
  if (s->length & kTemporaryBit) StrDelete(s);
  if (!node) return -1;
  ReturnNode(node);
  return 0;
}

int32_t StrRelease(StringDescriptor* s) {
  if (!s) return -1;
  StringLockEnter();
  int32_t result = StrReleaseLocked(s);
  StringLockLeave();
  return result;
}

int32_t StrTempInUse() {
  StringLockEnter();
  int32_t count = inUseCount;
  StringLockLeave();
  return count;
}

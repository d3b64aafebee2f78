// The runtime's process-wide record and the pieces of it that the runtime's
// own files share. Not for users of the runtime.
#pragma once

#include "runtime/os.h"
#include "runtime/runtime.h"
#include "runtime/strings.h"

namespace runtime_detail {

// Cleared by RuntimeInit.
struct RuntimeContext {
  int32_t argumentCount;
  char** argumentVector;
  StringDescriptor emptyString;
  const char* exitMessage;  // written to stderr at teardown when set
  RuntimeHooks hooks;
  int32_t compatibility;
};

extern RuntimeContext context;
extern os::Lock* hooksLock;
extern os::Lock* stringLock;

// Count of threads made by ThreadStart whose routine has not returned.
void ThreadStarting();
void ThreadFinished();

// Frees the calling thread's blocks in every slot.
void FreeThreadBlocks();

// Allocation of string buffers (replaceable by tests).
void* StringBufferAllocate(size_t bytes);

// Sleeping and the console key test of the default sleep path.
void PlatformSleep(uint32_t milliseconds);
bool PlatformKeyPressed();

}  // namespace runtime_detail

// The runtime's process-wide record and what its own files share; not for its users.
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
  // Text for the standard error stream at teardown; part of the record though
  // nothing in this program sets it.
  const char* exitMessage;
  RuntimeHooks hooks;
  int32_t compatibility;
};

extern RuntimeContext context;
extern os::Lock* hooksLock;
extern os::Lock* stringLock;

// Count of threads made by ThreadStart whose routine has not returned.
void ThreadStarting();
void ThreadFinished();

void FreeThreadBlocks();

}  // namespace runtime_detail

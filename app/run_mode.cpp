#include "app/run_mode.h"

#include <cmath>

#include "runtime/strings.h"

namespace {

// The first two characters of the whole command line, in lower case, equal
// to the two-character switch. Every temporary is consumed by the call that
// receives it.
bool CommandLineSwitchIs(const char (&modeSwitch)[3]) {
  return StrCompare(StrLower(StrLeft(CommandText(-1), 2)), kDescriptorKind, modeSwitch,
                    sizeof modeSwitch) == 0;
}

}  // namespace

RunMode ReadRunMode() {
  if (CommandLineSwitchIs("/c")) return RunMode::Configure;
  if (CommandLineSwitchIs("/p")) return RunMode::Preview;
  return RunMode::FullScreen;
}

uint32_t HandleFromNumber(double number) {
  if (!(number >= -2147483648.5 && number < 2147483647.5)) return 0x80000000u;
  return static_cast<uint32_t>(static_cast<int32_t>(std::nearbyint(number)));
}

void* HandleAsPointer(uint32_t handle) {
  return reinterpret_cast<void*>(static_cast<intptr_t>(static_cast<int32_t>(handle)));
}

uint32_t ReadHostWindow() {
  int32_t length = StrLength(CommandText(-1), kDescriptorKind);
  return HandleFromNumber(StrToNumber(StrRight(CommandText(-1), length - 3)));
}

// The program entry: the runtime comes up before anything else, the logo
// that the program carries is decoded, and the command line decides whether
// the saver shows its about box or runs. Every path ends with exit code 0.
#include <cstdint>
#include <cstdlib>

#include "app/run_mode.h"
#include "app/saver_platform.h"
#include "app/saver_state.h"
#include "app/snowfall.h"
#include "png/png.h"
#include "resources/logo.h"
#include "runtime/runtime.h"
#include "runtime/strings.h"

// Asks the C runtime's start-up to expand wildcards in the argument vector.
extern "C" {
int _dowildcard = -1;
}

namespace {

const unsigned char* logoData;
uint32_t logoSize;

// At program end, after the raster library's handler (registered later, so
// run earlier): the class name released, then the runtime's own teardown.
void StaticTeardown() {
  StrDelete(&saverState.className);
  RuntimeShutdown();
}

struct StaticInitialisation {
  StaticInitialisation() {
    RuntimeInit();
    SaverStateClear();
    std::atexit(StaticTeardown);
  }
};
StaticInitialisation staticInitialisation;

}  // namespace

int main(int argumentCount, char** argumentVector) {
  RuntimeStart(argumentCount, argumentVector, 0);
  logoData = kLogoPng;
  logoSize = kLogoPngSize;
  // Decoded before the run mode is known, so in configure mode too. A stream
  // that does not decode leaves the backdrop plain blue.
  ImageBuffer* logo = static_cast<ImageBuffer*>(
      PngDecodeMemory(logoData, static_cast<int32_t>(logoSize), PngTarget::Image));
  SelectRunMode();
  RunSnowfall(logo, FollowDesktopChange);
  ProgramEnd(0);
}

#include "app/saver_state.h"

#include <cstring>

SaverState saverState;

void SaverStateClear() {
  std::memset(&saverState, 0, sizeof saverState);
}

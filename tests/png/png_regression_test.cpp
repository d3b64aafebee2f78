// Inputs that once went wrong (found by fuzzing or review), kept so they
// stay fixed.
#include <cstdlib>
#include <memory>

#include <gtest/gtest.h>

#include "png/png.h"
#include "png_stream_builder.h"

namespace {

using namespace pngtest;

}  // namespace

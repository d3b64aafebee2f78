// The command line as a string: the arguments that RuntimeStart recorded,
// one of them or all after the program name joined by single blanks.
#include <cstring>

#include "runtime/runtime_context.h"

using namespace runtime_detail;

namespace {

const char* Argument(int32_t index) {
  const char* text = context.argumentVector ? context.argumentVector[index] : nullptr;
  return text ? text : "";
}

}  // namespace

StringDescriptor* CommandText(int32_t index) {
  int32_t count = context.argumentVector ? context.argumentCount : 0;
  if (index < 0) {
    if (count <= 1) return EmptyString();
    int64_t total = count - 2;
    for (int32_t i = 1; i < count; ++i) total += static_cast<int64_t>(strlen(Argument(i)));
    if (total > INT32_MAX) return EmptyString();
    StringDescriptor* result = StrTempAlloc(static_cast<int32_t>(total));
    if (!result) return EmptyString();
    char* out = result->data;
    for (int32_t i = 1; i < count; ++i) {
      size_t length = strlen(Argument(i));
      memcpy(out, Argument(i), length);
      out += length;
      if (i != count - 1) *out++ = ' ';
    }
    *out = '\0';
    return result;
  }
  if (index >= count) return EmptyString();
  const char* argument = Argument(index);
  size_t length = strlen(argument);
  if (length > INT32_MAX) return EmptyString();
  StringDescriptor* result = StrTempAlloc(static_cast<int32_t>(length));
  if (!result) return EmptyString();
  memcpy(result->data, argument, length + 1);
  return result;
}

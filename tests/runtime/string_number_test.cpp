// Text to number: decimal text through strtod, &B, &O and &H through the
// radix reader, and what blanks and odd bytes do.
#include <cmath>

#include "runtime_fixture.h"

namespace {

class RuntimeNumbers : public RuntimeTest {
 protected:
  double Number(const std::string& text) {
    StringDescriptor* t = StrTempAlloc(static_cast<int32_t>(text.size()));
    if (!t) return NAN;
    memcpy(t->data, text.data(), text.size() + 1);
    return StrToNumber(t);
  }
};

TEST_F(RuntimeNumbers, DecimalTextAndItsEdges) {
  EXPECT_EQ(Number("  1234"), 1234.0);
  EXPECT_EQ(Number("12abc"), 12.0);
  EXPECT_EQ(Number("abc"), 0.0);
  EXPECT_EQ(Number("-5"), -5.0);
  EXPECT_EQ(Number("1e3"), 1000.0);
  EXPECT_EQ(Number("\t12"), 12.0);
  EXPECT_EQ(Number("0.1"), 0.1);
  EXPECT_EQ(Number("   "), 0.0);
  EXPECT_EQ(Number(std::string("7\0" "99", 4)), 7.0) << "strtod stops at the NUL";
  EXPECT_EQ(Number("\xff" "5"), 0.0);
  std::string longText(300, '1');
  EXPECT_EQ(Number(longText), std::strtod(longText.c_str(), nullptr));
}

TEST_F(RuntimeNumbers, RadixPrefixesReadSigned32BitIntegers) {
  EXPECT_EQ(Number("&H1F"), 31.0);
  EXPECT_EQ(Number("&hff"), 255.0);
  EXPECT_EQ(Number("&B101"), 5.0);
  EXPECT_EQ(Number("&O17"), 15.0);
  EXPECT_EQ(Number("&o17"), 15.0);
  EXPECT_EQ(Number("&HFFFFFFFF"), -1.0);
  EXPECT_EQ(Number("&H80000000"), -2147483648.0);
  EXPECT_EQ(Number("&H100000001"), 1.0) << "wraps at 32 bits";
  EXPECT_EQ(Number("  &H10"), 16.0);
  EXPECT_EQ(Number("&"), 0.0);
  EXPECT_EQ(Number("&X1"), 0.0);
  EXPECT_EQ(Number("&H"), 0.0);
}

TEST_F(RuntimeNumbers, RadixReaderFoldsEveryByteUnchecked) {
  EXPECT_EQ(ParseRadix("1F", 2, 16), 31);
  EXPECT_EQ(ParseRadix("1f", 2, 16), 31);
  EXPECT_EQ(ParseRadix("g", 1, 16), 'g' - 55 - 32);
  EXPECT_EQ(ParseRadix("1 ", 2, 16), 16 * 1 + (' ' - 48)) << "a trailing blank counts";
  EXPECT_EQ(ParseRadix("12", 2, 10), 0) << "only bases 2, 8 and 16";
  EXPECT_EQ(ParseRadix("9", 1, 8), 9);
  EXPECT_EQ(ParseRadix("\xff", 1, 2), -1 - 48) << "bytes are signed";
  EXPECT_EQ(ParseRadix("101", 0, 2), 0);
  EXPECT_EQ(ParseRadix("101", -4, 2), 0);
  EXPECT_EQ(ParseRadix(nullptr, 3, 16), 0);
}

TEST_F(RuntimeNumbers, NullAndEmptyGiveZero) {
  EXPECT_EQ(StrToNumber(nullptr), 0.0);
  EXPECT_EQ(StrToNumber(EmptyString()), 0.0);
  EXPECT_EQ(Number(""), 0.0);
  StringDescriptor variable = {nullptr, 0, 0};
  StrAssign(&variable, kDescriptorKind, "42", 0, 0);
  EXPECT_EQ(StrToNumber(&variable), 42.0);
  EXPECT_EQ(StrLen(&variable), 2u) << "a variable is not consumed";
  StrDelete(&variable);
}

}  // namespace

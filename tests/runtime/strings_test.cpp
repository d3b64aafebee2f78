// Strings: the pool of temporaries, the growth rule, the command line and
// the operations on strings, with the bad input each must survive.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "runtime_fixture.h"

namespace {

class RuntimeStrings : public RuntimeTest {
 protected:
  // Starts the runtime with the program name and the given arguments.
  void Arguments(std::vector<const char*> args) {
    storage_.clear();
    for (const char* a : args) storage_.push_back(a ? std::vector<char>(a, a + strlen(a) + 1) : std::vector<char>());
    vector_.clear();
    for (auto& s : storage_) vector_.push_back(s.empty() ? nullptr : s.data());
    vector_.push_back(nullptr);
    RuntimeStart(static_cast<int32_t>(args.size()), vector_.data(), 0);
  }
  // A temporary holding text.
  StringDescriptor* Temp(const std::string& text) {
    StringDescriptor* t = StrTempAlloc(static_cast<int32_t>(text.size()));
    EXPECT_NE(t, nullptr);
    if (t) memcpy(t->data, text.data(), text.size() + 1);
    return t;
  }
  // Takes the text out of a result and consumes it.
  std::string Take(StringDescriptor* s) {
    std::string text = Text(s);
    StrRelease(s);
    return text;
  }
  std::vector<std::vector<char>> storage_;
  std::vector<char*> vector_;
};

TEST_F(RuntimeStrings, ResizeFollowsTheGrowthRule) {
  struct Case {
    int32_t length;
    int32_t capacity;
  };
  for (Case c : {Case{0, 0}, Case{1, 36}, Case{16, 36}, Case{17, 36}, Case{32, 36}, Case{33, 72}, Case{100, 144}}) {
    StringDescriptor s = {nullptr, 0, 0};
    ASSERT_TRUE(StrResize(&s, c.length));
    EXPECT_EQ(s.capacity, c.capacity) << c.length;
    EXPECT_EQ(StrLen(&s), static_cast<uint32_t>(c.length));
    StrDelete(&s);
  }
}

TEST_F(RuntimeStrings, ResizeKeepsTheBufferUnlessItWouldWasteMuch) {
  StringDescriptor s = {nullptr, 0, 0};
  ASSERT_TRUE(StrResize(&s, 100));  // capacity 144
  char* buffer = s.data;
  ASSERT_TRUE(StrResize(&s, 120));  // target 144: kept
  EXPECT_EQ(s.data, buffer);
  ASSERT_TRUE(StrResize(&s, 97));  // target 144: 144 - 18 <= 144, kept
  EXPECT_EQ(s.data, buffer);
  EXPECT_EQ(s.capacity, 144);
  EXPECT_EQ(StrLen(&s), 97u);
  ASSERT_TRUE(StrResize(&s, 90));  // target 108 < 126: a new, smaller buffer
  EXPECT_EQ(s.capacity, 108);
  ASSERT_TRUE(StrResize(&s, 200));  // capacity too small: a new buffer
  EXPECT_EQ(s.capacity, 252);
  s.length |= kTemporaryBit;
  ASSERT_TRUE(StrResize(&s, 210));
  EXPECT_TRUE(s.length & kTemporaryBit) << "the temporary bit survives";
  ASSERT_TRUE(StrResize(&s, 400));
  EXPECT_TRUE(s.length & kTemporaryBit) << "also across a new buffer";
  EXPECT_FALSE(StrResize(&s, -1));
  EXPECT_FALSE(StrResize(nullptr, 4));
  s.length &= kLengthMask;
  StrDelete(&s);
  EXPECT_EQ(s.data, nullptr);
  EXPECT_EQ(s.capacity, 0);
}

int allocations = 0;
int failFirst = 0;  // how many of the next allocations fail
void* Failing(size_t bytes) {
  ++allocations;
  if (failFirst > 0) {
    --failFirst;
    return nullptr;
  }
  return malloc(bytes);
}

TEST_F(RuntimeStrings, ResizeFallsBackToTheExactLengthThenFails) {
  RuntimeSetStringAllocatorForTesting(Failing);
  StringDescriptor s = {nullptr, 0, 0};
  failFirst = 1;
  ASSERT_TRUE(StrResize(&s, 40));
  EXPECT_EQ(s.capacity, 40);
  failFirst = 2;
  EXPECT_FALSE(StrResize(&s, 500));
  EXPECT_EQ(s.data, nullptr);
  EXPECT_EQ(s.length, 0u);
  EXPECT_EQ(s.capacity, 0);

  // No memory for a temporary: the entry goes back and results are empty.
  failFirst = 2;
  EXPECT_EQ(StrTempAlloc(3), nullptr);
  EXPECT_EQ(StrTempInUse(), 0);
  StringDescriptor* source = nullptr;
  failFirst = 0;
  source = Temp("HELLO");
  failFirst = 2;
  EXPECT_EQ(StrLower(source), EmptyString());
  EXPECT_EQ(StrTempInUse(), 0) << "the argument is consumed all the same";

  // Assignment that cannot get a buffer leaves the variable empty.
  StringDescriptor variable = {nullptr, 0, 0};
  StrAssign(&variable, kDescriptorKind, "abc", 4, 0);
  failFirst = 2;
  StrAssign(&variable, kDescriptorKind, "a text longer than the thirty-six bytes it had before", 0, 0);
  EXPECT_EQ(variable.data, nullptr);
  EXPECT_EQ(variable.capacity, 0);
  failFirst = 0;
  RuntimeSetStringAllocatorForTesting(nullptr);
}

std::vector<size_t> requested;
void* RecordAndRefuse(size_t bytes) {
  requested.push_back(bytes);
  return nullptr;
}

TEST_F(RuntimeStrings, HugeLengthsAskForTheirTrueSizeAndFailCleanly) {
  RuntimeSetStringAllocatorForTesting(RecordAndRefuse);
  requested.clear();
  EXPECT_EQ(StrTempAlloc(INT32_MAX), nullptr);
  // The grown size would not fit a capacity: only the exact length is asked.
  EXPECT_EQ(requested, (std::vector<size_t>{size_t{0x80000000u}}));
  requested.clear();
  EXPECT_EQ(StrTempAlloc(0x70000000), nullptr);
  EXPECT_EQ(requested, (std::vector<size_t>{size_t{0x7E000001u}, size_t{0x70000001u}}));
  requested.clear();
  EXPECT_EQ(StrTempAlloc(-5), nullptr);
  EXPECT_TRUE(requested.empty());
  EXPECT_EQ(StrTempInUse(), 0);
  RuntimeSetStringAllocatorForTesting(nullptr);
}

TEST_F(RuntimeStrings, TemporariesComeFromAPoolOf256) {
  std::vector<StringDescriptor*> held;
  for (int i = 0; i < kTempPoolSize; ++i) {
    StringDescriptor* t = StrTempAlloc(i % 40);
    ASSERT_NE(t, nullptr) << i;
    EXPECT_TRUE(t->length & kTemporaryBit);
    EXPECT_EQ(StrLen(t), static_cast<uint32_t>(i % 40));
    ASSERT_NE(t->data, nullptr);
    held.push_back(t);
  }
  EXPECT_EQ(StrTempInUse(), kTempPoolSize);
  EXPECT_EQ(StrTempAlloc(1), nullptr);
  // Every operation now gives the empty string, and still consumes.
  EXPECT_EQ(CommandText(-1), EmptyString());
  EXPECT_EQ(StrLeft(held.back(), 1), EmptyString());
  held.pop_back();
  EXPECT_EQ(StrTempInUse(), kTempPoolSize - 1);
  StringDescriptor* one = StrTempAlloc(3);
  ASSERT_NE(one, nullptr);
  held.push_back(one);
  EXPECT_EQ(StrLower(held.back()), EmptyString());
  held.pop_back();
  for (StringDescriptor* t : held) EXPECT_EQ(StrRelease(t), 0);
  EXPECT_EQ(StrTempInUse(), 0);
}

TEST_F(RuntimeStrings, ReleaseReturnsOnlyLivePoolEntries) {
  StringDescriptor* t = StrTempAlloc(5);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(StrRelease(t), 0);
  EXPECT_EQ(t->data, nullptr);
  EXPECT_EQ(StrRelease(t), -1) << "a second release must not free it twice";
  EXPECT_EQ(StrTempInUse(), 0);
  StringDescriptor* a = StrTempAlloc(1);
  StringDescriptor* b = StrTempAlloc(1);
  EXPECT_NE(a, b) << "the pool did not hand one entry out twice";
  EXPECT_EQ(StrRelease(a), 0);
  EXPECT_EQ(StrRelease(b), 0);

  StringDescriptor variable = {nullptr, 0, 0};
  StrAssign(&variable, kDescriptorKind, "kept", 0, 0);
  EXPECT_EQ(StrRelease(&variable), -1);
  EXPECT_EQ(Text(&variable), "kept") << "a variable is left alone";
  EXPECT_EQ(StrRelease(EmptyString()), -1);
  EXPECT_EQ(StrRelease(nullptr), -1);
  // Inside the pool but not at an entry's descriptor: refused.
  StringDescriptor* c = StrTempAlloc(1);
  auto* inside = reinterpret_cast<StringDescriptor*>(reinterpret_cast<char*>(c) + 4);
  EXPECT_EQ(StrRelease(inside), -1);
  EXPECT_EQ(StrTempInUse(), 1);
  StrRelease(c);
  StrDelete(&variable);
}

TEST_F(RuntimeStrings, CommandTextJoinsArgumentsWithSingleBlanks) {
  Arguments({"C:\\saver.scr"});
  EXPECT_EQ(CommandText(-1), EmptyString());
  Arguments({"C:\\saver.scr", "/p", "1234"});
  StringDescriptor* line = CommandText(-1);
  EXPECT_EQ(StrLen(line), 7u);
  EXPECT_EQ(Take(line), "/p 1234");
  Arguments({"saver", "a", ""});
  EXPECT_EQ(Take(CommandText(-1)), "a ");
  Arguments({"saver", ""});
  line = CommandText(-1);
  EXPECT_NE(line, EmptyString()) << "one empty argument is a temporary of length 0";
  EXPECT_TRUE(line->length & kTemporaryBit);
  EXPECT_EQ(StrLen(line), 0u);
  StrRelease(line);
  Arguments({"saver", "with blank", "x"});
  EXPECT_EQ(Take(CommandText(-1)), "with blank x") << "no quoting is added";
}

TEST_F(RuntimeStrings, CommandTextByIndex) {
  Arguments({"C:\\saver.scr", "/c", "7"});
  EXPECT_EQ(Take(CommandText(0)), "C:\\saver.scr");
  EXPECT_EQ(Take(CommandText(2)), "7");
  EXPECT_EQ(CommandText(3), EmptyString());
  EXPECT_EQ(CommandText(1000), EmptyString());
  Arguments({"saver", nullptr, "b"});  // a missing entry reads as empty
  EXPECT_EQ(Take(CommandText(-1)), " b");
  RuntimeStart(3, nullptr, 0);
  EXPECT_EQ(CommandText(-1), EmptyString());
  EXPECT_EQ(CommandText(0), EmptyString());
}

TEST_F(RuntimeStrings, LeftAndRightTakeParts) {
  EXPECT_EQ(Take(StrLeft(Temp("/p 1234"), 2)), "/p");
  EXPECT_EQ(Take(StrRight(Temp("/p 1234"), 4)), "1234");
  EXPECT_EQ(Take(StrLeft(Temp("/p 1234"), 50)), "/p 1234");
  EXPECT_EQ(Take(StrRight(Temp("/p 1234"), 50)), "/p 1234");
  EXPECT_EQ(StrLeft(Temp("/p 1234"), 0), EmptyString());
  EXPECT_EQ(StrRight(Temp("/p 1234"), -3), EmptyString());
  EXPECT_EQ(StrLeft(Temp(""), 3), EmptyString());
  EXPECT_EQ(StrLeft(nullptr, 3), EmptyString());
  EXPECT_EQ(StrRight(EmptyString(), 3), EmptyString());
  StringDescriptor* binary = Temp(std::string("a\0b\xff", 4));
  EXPECT_EQ(Take(StrRight(binary, 3)), std::string("\0b\xff", 3)) << "the length ends a string, not NUL";
  StringDescriptor variable = {nullptr, 0, 0};
  StrAssign(&variable, kDescriptorKind, "variable", 0, 0);
  EXPECT_EQ(Take(StrLeft(&variable, 3)), "var");
  EXPECT_EQ(Text(&variable), "variable") << "a variable is not consumed";
  StrDelete(&variable);
}

TEST_F(RuntimeStrings, LowerChangesOnlyUpperCaseLetters) {
  EXPECT_EQ(Take(StrLower(Temp("/C"))), "/c");
  std::string mixed("AZaz09@[`{/\x80\xC9\xFF\0Q", 15);
  std::string expected("azaz09@[`{/\x80\xC9\xFF\0q", 15);
  EXPECT_EQ(Take(StrLower(Temp(mixed))), expected);
  EXPECT_EQ(StrLower(nullptr), EmptyString());
  EXPECT_EQ(StrLower(EmptyString()), EmptyString());
  StringDescriptor* empty = StrLower(Temp(""));
  EXPECT_EQ(StrLen(empty), 0u);
  StrRelease(empty);
}

TEST_F(RuntimeStrings, CompareIsByteWiseUnsignedThenByLength) {
  EXPECT_EQ(StrCompare(Temp("/c"), kDescriptorKind, "/c", 3), 0);
  EXPECT_EQ(StrCompare(Temp("/c"), kDescriptorKind, "/cx", 4), -1);
  EXPECT_EQ(StrCompare(Temp("/d"), kDescriptorKind, "/c", 3), 1);
  EXPECT_EQ(StrCompare(Temp("\xE9"), kDescriptorKind, "z", 2), 1);
  EXPECT_EQ(StrCompare("z", 0, Temp("\xE9"), kDescriptorKind), -1);
  EXPECT_EQ(StrCompare(Temp("abc"), kDescriptorKind, Temp("ab"), kDescriptorKind), 1);
  EXPECT_EQ(StrCompare(Temp(std::string("a\0b", 3)), kDescriptorKind, Temp(std::string("a\0c", 3)), kDescriptorKind), -1);
  StringDescriptor empty = {nullptr, 0, 0};
  EXPECT_EQ(StrCompare(&empty, kDescriptorKind, nullptr, 3), 0);
  EXPECT_EQ(StrCompare(nullptr, 3, &empty, kDescriptorKind), 0);
  EXPECT_EQ(StrCompare(Temp("x"), kDescriptorKind, nullptr, 0), 1);
  EXPECT_EQ(StrCompare(nullptr, 0, "x", 2), -1);
  EXPECT_EQ(StrCompare(nullptr, 0, nullptr, kDescriptorKind), 0);
  EXPECT_EQ(StrCompare(Temp(""), kDescriptorKind, "", 1), 0);
}

TEST_F(RuntimeStrings, TheSaversRunModeExpressionLeavesNoTemporary) {
  Arguments({"saver.scr", "/C:1234"});
  EXPECT_EQ(StrCompare(StrLower(StrLeft(CommandText(-1), 2)), kDescriptorKind, "/c", 3), 0);
  EXPECT_NE(StrCompare(StrLower(StrLeft(CommandText(-1), 2)), kDescriptorKind, "/p", 3), 0);
  Arguments({"saver.scr", "/p", "4567"});
  EXPECT_EQ(StrToNumber(StrRight(CommandText(-1), StrLength(CommandText(-1), kDescriptorKind) - 3)), 4567.0);
}

TEST_F(RuntimeStrings, LengthOfDescriptorsAndBytes) {
  EXPECT_EQ(StrLength(Temp("abcd"), kDescriptorKind), 4);
  EXPECT_EQ(StrLength(Temp(std::string("a\0b", 3)), kDescriptorKind), 3);
  EXPECT_EQ(StrLength("abc\0def", 8), 3);
  EXPECT_EQ(StrLength(nullptr, kDescriptorKind), 0);
  EXPECT_EQ(StrLength(EmptyString(), kDescriptorKind), 0);
}

TEST_F(RuntimeStrings, AssignCopiesIntoAVariableAndReusesItsBuffer) {
  StringDescriptor name = {nullptr, 0, 0};
  EXPECT_EQ(StrAssign(&name, kDescriptorKind, "SCREENSAVERCLASS", 17, 0), &name);
  EXPECT_EQ(Text(&name), "SCREENSAVERCLASS");
  EXPECT_EQ(name.capacity, 36);
  EXPECT_EQ(name.data[16], '\0');
  EXPECT_FALSE(name.length & kTemporaryBit);
  char* buffer = name.data;
  StrAssign(&name, kDescriptorKind, "screensaverclas5", 0, 0);
  EXPECT_EQ(name.data, buffer) << "equal lengths reuse the buffer";
  StrAssign(&name, kDescriptorKind, "short", 0, 0);
  EXPECT_EQ(name.data, buffer) << "36 - 4 <= 36: kept";
  EXPECT_EQ(Text(&name), "short");
  StringDescriptor other = {nullptr, 0, 0};
  StrAssign(&other, kDescriptorKind, &name, kDescriptorKind, 0);
  EXPECT_EQ(Text(&other), "short");
  EXPECT_NE(other.data, name.data);
  EXPECT_EQ(Text(&name), "short") << "a variable source is copied, not taken";
  StrAssign(&name, kDescriptorKind, "", 1, 0);
  EXPECT_EQ(name.data, nullptr) << "an empty source deletes";
  StrAssign(&other, kDescriptorKind, nullptr, 0, 0);
  EXPECT_EQ(other.data, nullptr);
  EXPECT_EQ(StrAssign(nullptr, kDescriptorKind, Temp("gone"), kDescriptorKind, 0), nullptr);
  EXPECT_EQ(StrTempInUse(), 0) << "a null destination still consumes its source";
}

TEST_F(RuntimeStrings, AssigningATemporaryMovesItsBuffer) {
  StringDescriptor variable = {nullptr, 0, 0};
  StrAssign(&variable, kDescriptorKind, "old", 0, 0);
  StringDescriptor* temp = Temp("a temporary text");
  char* buffer = temp->data;
  int32_t capacity = temp->capacity;
  EXPECT_EQ(StrAssign(&variable, kDescriptorKind, temp, kDescriptorKind, 0), &variable);
  EXPECT_EQ(variable.data, buffer);
  EXPECT_EQ(variable.capacity, capacity);
  EXPECT_EQ(variable.length, 16u) << "the temporary bit is not taken over";
  EXPECT_EQ(StrTempInUse(), 0);
  EXPECT_EQ(temp->data, nullptr);
  StrDelete(&variable);
  StrDelete(&variable);
  EXPECT_EQ(variable.data, nullptr);
}

TEST_F(RuntimeStrings, AssignFromItsOwnBufferIsSafe) {
  StringDescriptor variable = {nullptr, 0, 0};
  StrAssign(&variable, kDescriptorKind, "0123456789abcdefghijklmnopqrstuvwxyz0123456789", 0, 0);
  StrAssign(&variable, kDescriptorKind, variable.data + 40, 0, 0);
  EXPECT_EQ(Text(&variable), "456789");
  StrAssign(&variable, kDescriptorKind, &variable, kDescriptorKind, 0);
  EXPECT_EQ(Text(&variable), "456789");
  StrDelete(&variable);
  StringDescriptor* temp = Temp("self");
  EXPECT_EQ(StrAssign(temp, kDescriptorKind, temp, kDescriptorKind, 0), temp);
  EXPECT_EQ(Take(temp), "self");
}

TEST_F(RuntimeStrings, AssignIntoAByteBufferTruncatesAndFills) {
  char buffer[8];
  memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(StrAssign(buffer, 8, Temp("abcdefghij"), kDescriptorKind, 0), buffer);
  EXPECT_EQ(std::string(buffer), "abcdefg");
  memset(buffer, 'x', sizeof buffer);
  StrAssign(buffer, 8, "abc", 4, 1);
  EXPECT_EQ(std::string(buffer, 8), std::string("abc\0\0\0\0x", 8));
  memset(buffer, 'x', sizeof buffer);
  StrAssign(buffer, 8, "abc", 4, 0);
  EXPECT_EQ(std::string(buffer, 8), std::string("abc\0xxxx", 8));
  memset(buffer, 'x', sizeof buffer);
  StrAssign(buffer, 8, "", 1, 1);
  EXPECT_EQ(std::string(buffer, 8), std::string(8, '\0'));
  memset(buffer, 'x', sizeof buffer);
  StrAssign(buffer, 8, nullptr, 0, 0);
  EXPECT_EQ(std::string(buffer, 8), std::string("\0xxxxxxx", 8));
  memset(buffer, 'x', sizeof buffer);
  StrAssign(buffer, 0, "unknown", 0, 1);  // size unknown: whole text, no fill
  EXPECT_EQ(std::string(buffer), "unknown");
  memset(buffer, 'x', sizeof buffer);
  StrAssign(buffer, 1, "abc", 0, 1);
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(buffer[1], 'x');
  EXPECT_EQ(StrAssign(buffer, -4, Temp("abc"), kDescriptorKind, 0), nullptr);
  EXPECT_EQ(buffer[0], '\0') << "a negative size writes nothing";
}

TEST_F(RuntimeStrings, TheSharedEmptyStringStaysEmpty) {
  EXPECT_EQ(StrAssign(EmptyString(), kDescriptorKind, "text", 0, 0), nullptr);
  EXPECT_EQ(EmptyString()->data, nullptr);
  EXPECT_EQ(EmptyString()->length, 0u);
  StrDelete(EmptyString());
  StrDelete(nullptr);
  EXPECT_EQ(StrRelease(EmptyString()), -1);
}

TEST_F(RuntimeStrings, ArrayBoundsCountDimensionsFromOne) {
  ArrayDescriptor<2> particles = {nullptr, nullptr, 400040, 40, 1, {{10001, 0, 10000}, {0, 0, 0}}};
  EXPECT_EQ(LowerBound(particles, 0), 0);
  EXPECT_EQ(UpperBound(particles, 0), 10000);
  EXPECT_EQ(LowerBound(particles, 1), 0);
  EXPECT_EQ(UpperBound(particles, 1), 10000);
  ArrayDescriptor<2> grid = {nullptr, nullptr, 0, 4, 2, {{3, -1, 1}, {5, 2, 6}}};
  EXPECT_EQ(LowerBound(grid, 2), 2);
  EXPECT_EQ(UpperBound(grid, 2), 6);
  EXPECT_EQ(LowerBound(grid, 1), -1);
}

}  // namespace

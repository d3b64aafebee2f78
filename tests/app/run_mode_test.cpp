#include "app/run_mode.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "runtime/strings.h"
#include "tests/app/command_line.h"

namespace {

struct RuntimeUp {
  RuntimeUp() { RuntimeInit(); }
} runtimeUp;

struct ModeCase {
  std::vector<std::string> arguments;
  RunMode expected;
};

void ExpectModes(const std::vector<ModeCase>& cases) {
  for (const ModeCase& c : cases) {
    std::string shown;
    for (const std::string& a : c.arguments) shown += "[" + a + "]";
    CommandLine line(c.arguments);
    int32_t temporaries = StrTempInUse();
    EXPECT_EQ(ReadRunMode(), c.expected) << "arguments " << shown;
    EXPECT_EQ(StrTempInUse(), temporaries) << "a temporary was left behind for " << shown;
  }
}

TEST(RunMode, SlashCInEitherCaseSelectsConfigureWhateverFollows) {
  ExpectModes({{{"/c"}, RunMode::Configure},
               {{"/C"}, RunMode::Configure},
               {{"/c:1234"}, RunMode::Configure},
               {{"/c", "1234"}, RunMode::Configure},
               {{"/cx"}, RunMode::Configure},
               {{"/C:9", "/p"}, RunMode::Configure}});
}

TEST(RunMode, SlashPInEitherCaseSelectsPreviewWhateverFollows) {
  ExpectModes({{{"/p"}, RunMode::Preview},
               {{"/P", "1234"}, RunMode::Preview},
               {{"/p:1234"}, RunMode::Preview},
               {{"/pq"}, RunMode::Preview},
               {{"/p", "/c"}, RunMode::Preview}});
}

TEST(RunMode, EverythingElseSelectsFullScreen) {
  ExpectModes({{{}, RunMode::FullScreen},
               {{""}, RunMode::FullScreen},
               {{"/s"}, RunMode::FullScreen},
               {{"/S"}, RunMode::FullScreen},
               {{"/x"}, RunMode::FullScreen},
               {{"-c"}, RunMode::FullScreen},
               {{"c"}, RunMode::FullScreen},
               {{"/"}, RunMode::FullScreen},
               {{"", "/c"}, RunMode::FullScreen},     // joined: " /c"
               {{"\\c"}, RunMode::FullScreen},
               {{"/\xC3\xA7"}, RunMode::FullScreen},  // a non-ASCII second byte
               {{"/s", "99999999999"}, RunMode::FullScreen}});
}

struct HostCase {
  std::vector<std::string> arguments;
  uint32_t expected;
};

TEST(HostWindow, IsTheNumberAfterTheFirstThreeCharacters) {
  const HostCase cases[] = {
      {{"/p", "1234"}, 1234u},
      {{"/p:1234"}, 1234u},
      {{"/P", "  77"}, 77u},  // the joining blank and leading blanks skipped
      {{"/p", "&H1F"}, 31u},
      {{"/p", "12abc"}, 12u},
      {{"/s", "4096"}, 4096u},  // read in every mode
      {{"/p", "-2"}, 0xFFFFFFFEu},
      {{"/p", "2147483647"}, 0x7FFFFFFFu},
  };
  for (const HostCase& c : cases) {
    CommandLine line(c.arguments);
    int32_t temporaries = StrTempInUse();
    EXPECT_EQ(ReadHostWindow(), c.expected) << c.arguments[0];
    EXPECT_EQ(StrTempInUse(), temporaries);
  }
}

TEST(HostWindow, IsNullWithoutANumber) {
  const HostCase cases[] = {
      {{}, 0u},          {{""}, 0u},          {{"/s"}, 0u},      {{"/p"}, 0u},
      {{"/p:"}, 0u},     {{"/p", ""}, 0u},    {{"/p", "abc"}, 0u}, {{"/p", "&X1"}, 0u},
      {{"/pq"}, 0u},
  };
  for (const HostCase& c : cases) {
    CommandLine line(c.arguments);
    EXPECT_EQ(ReadHostWindow(), c.expected) << (c.arguments.empty() ? "(none)" : c.arguments[0]);
  }
}

TEST(HostWindow, NumbersOutsideTheHandleRangeGiveTheIndefiniteValue) {
  CommandLine huge({"/s", "99999999999"});
  EXPECT_EQ(ReadHostWindow(), 0x80000000u);
  CommandLine wrapped({"/p", "4294967296"});
  EXPECT_EQ(ReadHostWindow(), 0x80000000u);
  CommandLine infinite({"/p", "1e400"});
  EXPECT_EQ(ReadHostWindow(), 0x80000000u);
}

TEST(RunModeAndHostWindow, HugeAndManyArgumentsGiveDefinedResults) {
  std::string digits(100000, '9');
  {
    CommandLine line({"/P", digits});
    int32_t temporaries = StrTempInUse();
    EXPECT_EQ(ReadRunMode(), RunMode::Preview);
    EXPECT_EQ(ReadHostWindow(), 0x80000000u);  // beyond any double: infinity
    EXPECT_EQ(StrTempInUse(), temporaries);
  }
  {
    CommandLine line({"/c" + std::string(100000, 'x')});
    EXPECT_EQ(ReadRunMode(), RunMode::Configure);
    EXPECT_EQ(ReadHostWindow(), 0u);
  }
  {
    std::vector<std::string> many(2000, "/p");
    many[0] = "/s";
    many[1] = "42";
    CommandLine line(many);
    EXPECT_EQ(ReadRunMode(), RunMode::FullScreen);
    EXPECT_EQ(ReadHostWindow(), 42u);  // the number stops at the next blank
  }
}

TEST(HandleFromNumber, RoundsToNearestEvenAndGivesTheIndefiniteValueOutOfRange) {
  EXPECT_EQ(HandleFromNumber(12.5), 12u);
  EXPECT_EQ(HandleFromNumber(13.5), 14u);
  EXPECT_EQ(HandleFromNumber(-1.5), 0xFFFFFFFEu);
  EXPECT_EQ(HandleFromNumber(2147483647.49), 0x7FFFFFFFu);
  EXPECT_EQ(HandleFromNumber(-2147483648.5), 0x80000000u);  // rounds to INT32_MIN
  EXPECT_EQ(HandleFromNumber(2147483647.5), 0x80000000u);   // rounds past INT32_MAX
  EXPECT_EQ(HandleFromNumber(-2147483649.0), 0x80000000u);
  EXPECT_EQ(HandleFromNumber(std::numeric_limits<double>::infinity()), 0x80000000u);
  EXPECT_EQ(HandleFromNumber(std::nan("")), 0x80000000u);
}

TEST(HandleAsPointer, KeepsTheLow32BitsAndWidensWithTheSign) {
  for (uint32_t handle : {0u, 1u, 0x00010066u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFDu, 0xFFFFFFFFu}) {
    auto widened = reinterpret_cast<intptr_t>(HandleAsPointer(handle));
    EXPECT_EQ(static_cast<uint32_t>(widened), handle);
    EXPECT_EQ(widened, static_cast<intptr_t>(static_cast<int32_t>(handle)));
  }
  // "/p -3" is the message-only parent on either build.
  EXPECT_EQ(reinterpret_cast<intptr_t>(HandleAsPointer(HandleFromNumber(-3.0))), intptr_t{-3});
}

}  // namespace

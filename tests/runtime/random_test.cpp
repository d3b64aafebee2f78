// The random-number generator: the fixed default sequence, Rnd(0), each
// algorithm of Randomize against a reference written from its definition,
// and the timer.
#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "runtime_fixture.h"

namespace {

double Fraction(uint64_t k, int bits) { return std::ldexp(static_cast<double>(k), -bits); }

// MT19937 written as the plain recurrence over an ever longer sequence
// x[k + 624] = x[k + 397] ^ twist(x[k], x[k + 1]), without a circular
// buffer, starting from any 624 words; returns the tempered outputs.
std::vector<uint32_t> MersenneReference(std::vector<uint32_t> x, size_t outputs) {
  while (x.size() < 624 + outputs) {
    size_t k = x.size() - 624;
    uint32_t y = (x[k] & 0x80000000u) | (x[k + 1] & 0x7FFFFFFFu);
    x.push_back(x[k + 397] ^ (y >> 1) ^ ((y & 1u) ? 0x9908B0DFu : 0u));
  }
  std::vector<uint32_t> out;
  for (size_t i = 0; i < outputs; ++i) {
    uint32_t y = x[624 + i];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    out.push_back(y);
  }
  return out;
}

std::vector<uint32_t> LcgSeeded(uint32_t seed) {
  std::vector<uint32_t> words{seed};
  for (int i = 1; i < 624; ++i) words.push_back(static_cast<uint32_t>(uint64_t{words.back()} * 1664525u + 1013904223u));
  return words;
}

class RuntimeRandom : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    RuntimeResetRandomForTesting();
  }
  void TearDown() override {
    RuntimeResetRandomForTesting();
    RuntimeTest::TearDown();
  }
  void ExpectMersenne(uint32_t seedWord, size_t draws) {
    std::vector<uint32_t> expected = MersenneReference(LcgSeeded(seedWord), draws);
    for (size_t i = 0; i < draws; ++i) {
      double got = Rnd(1.0f);
      ASSERT_EQ(got, Fraction(expected[i], 32)) << "draw " << i + 1 << " of seed word " << seedWord;
    }
  }
};

TEST(MersenneReferenceCheck, MatchesTheStandardLibraryGeneratorFromItsOwnSeeding) {
  // The reference must itself be MT19937: seed it as the standard library
  // seeds 5489 and compare.
  std::vector<uint32_t> words{5489u};
  for (uint32_t i = 1; i < 624; ++i) words.push_back(1812433253u * (words.back() ^ (words.back() >> 30)) + i);
  std::vector<uint32_t> reference = MersenneReference(words, 2000);
  std::mt19937 standard;
  for (size_t i = 0; i < reference.size(); ++i) ASSERT_EQ(reference[i], standard()) << i;
}

TEST_F(RuntimeRandom, DefaultSequenceStartsWithTheFourKnownValues) {
  EXPECT_EQ(Rnd(1.0f), Fraction(1417766733u, 32));
  EXPECT_EQ(Rnd(1.0f), Fraction(1413209507u, 32));
  EXPECT_EQ(Rnd(1.0f), Fraction(2286996103u, 32));
  EXPECT_EQ(Rnd(1.0f), Fraction(3263938748u, 32));
  EXPECT_NEAR(Fraction(1417766733u, 32), 0.3300995, 1e-7);
}

TEST_F(RuntimeRandom, ZeroRepeatsTheLastValueWithoutDrawing) {
  EXPECT_EQ(Rnd(0.0f), 0.01953125);
  EXPECT_EQ(Rnd(0.0f), 0.01953125);
  double first = Rnd(5.0f);
  EXPECT_EQ(first, Fraction(1417766733u, 32));
  EXPECT_EQ(Rnd(0.0f), first);
  EXPECT_EQ(Rnd(0.0f), first);
  EXPECT_EQ(Rnd(1.0f), Fraction(1413209507u, 32)) << "Rnd(0) must not advance";
}

TEST_F(RuntimeRandom, NegativeZeroIsNotZeroAndDraws) {
  EXPECT_EQ(Rnd(-0.0f), Fraction(1417766733u, 32));
  EXPECT_EQ(Rnd(-3.0f), Fraction(1413209507u, 32)) << "the Mersenne Twister ignores its argument";
}

TEST_F(RuntimeRandom, AutomaticChoiceSeededWithZeroIsTheStartupSequence) {
  Rnd(1.0f);
  Rnd(1.0f);
  Randomize(0.0, kRandomAutomatic);
  EXPECT_EQ(Rnd(1.0f), Fraction(1417766733u, 32));
  EXPECT_EQ(Rnd(1.0f), Fraction(1413209507u, 32));
}

TEST_F(RuntimeRandom, DefaultSequenceFollowsTheReferenceAcrossRegenerations) {
  // Draws 1, 625 and 1249 each regenerate the whole state.
  ExpectMersenne(0, 1300);
}

TEST_F(RuntimeRandom, MersenneSeedIsTheLowWordOfTheTruncatedSeed) {
  Randomize(12345.99, kRandomMersenne);
  ExpectMersenne(12345u, 700);
  Randomize(-7.5, kRandomMersenne);
  ExpectMersenne(0xFFFFFFF9u, 10);
  Randomize(4294967296.0 + 5.0, kRandomMersenne);
  ExpectMersenne(5u, 10);
  Randomize(3.0, 99);  // unknown algorithms use the Mersenne Twister
  ExpectMersenne(3u, 10);
  Randomize(1e300, kRandomMersenne);  // beyond 64 bits: no undefined conversion
  double v = Rnd(1.0f);
  EXPECT_TRUE(v >= 0.0 && v < 1.0);
}

TEST_F(RuntimeRandom, FastLcgStepsTheSeedByTheLinearRecurrence) {
  for (double seed : {0.0, 123456789.75, -2.0, 4294967301.0}) {
    Randomize(seed, kRandomFastLcg);
    uint64_t state = static_cast<uint64_t>(static_cast<int64_t>(seed)) & 0xFFFFFFFFu;
    for (int i = 0; i < 50; ++i) {
      state = (state * 1664525u + 1013904223u) % 4294967296u;
      ASSERT_EQ(Rnd(-1.0f), Fraction(state, 32)) << "seed " << seed << " draw " << i;
    }
  }
}

TEST_F(RuntimeRandom, TwentyFourBitLcgSeedsFromTheHighWordOfTheDouble) {
  // 1.0 is 0x3FF00000'00000000: h = 0x3FF00000, h ^ (h >> 16) = 0x3FF03FF0,
  // so the seed is 0x3FF000 | 0xF0.
  Randomize(1.0, kRandom24BitLcg);
  uint64_t state = 0x3FF0F0;
  for (int i = 0; i < 20; ++i) {
    state = (state * 16598013u + 12820163u) % 16777216u;
    ASSERT_EQ(Rnd(2.0f), Fraction(state, 24)) << i;
  }
  // A negative argument reseeds from its bits first: -1.5f is 0xBFC00000.
  state = 0xC00000 + 0xBF;
  state = (state * 16598013u + 12820163u) % 16777216u;
  EXPECT_EQ(Rnd(-1.5f), Fraction(state, 24));
  state = (state * 16598013u + 12820163u) % 16777216u;
  EXPECT_EQ(Rnd(7.0f), Fraction(state, 24));
}

TEST_F(RuntimeRandom, PlatformGeneratorSeedsRandWithTheTruncatedSeed) {
  Randomize(42.9, kRandomPlatform);
  std::vector<double> got;
  for (int i = 0; i < 20; ++i) got.push_back(Rnd(1.0f));
  srand(42);
  for (int i = 0; i < 20; ++i) {
    ASSERT_EQ(got[i], (rand() % 32768) / 32768.0) << i;
    ASSERT_LT(got[i], 1.0);
  }
}

TEST_F(RuntimeRandom, AutomaticChoiceFollowsTheCompatibilitySelector) {
  RuntimeStart(2, arguments_, 2);
  Randomize(1.0, kRandomAutomatic);
  double viaSelector = Rnd(1.0f);
  Randomize(1.0, kRandom24BitLcg);
  EXPECT_EQ(viaSelector, Rnd(1.0f));

  RuntimeStart(2, arguments_, 1);
  Randomize(7.0, kRandomAutomatic);
  double platformFirst = Rnd(1.0f);
  srand(7);
  EXPECT_EQ(platformFirst, (rand() % 32768) / 32768.0);

  RuntimeStart(2, arguments_, 5);
  Randomize(9.0, kRandomAutomatic);
  ExpectMersenne(9u, 3);
}

int64_t fakeCounter = 0;
int frequencyQuestions = 0;
bool frequencyWorks = true;
bool FakeFrequency(int64_t* f) {
  ++frequencyQuestions;
  *f = 1000;
  return frequencyWorks;
}
int64_t FakeCounter() { return fakeCounter; }
uint32_t FakeTicks() { return 1234; }

TEST_F(RuntimeRandom, SeedMinusOneComesFromTheTimer) {
  RuntimeTimerSources sources = {FakeFrequency, FakeCounter, FakeTicks};
  frequencyWorks = true;
  fakeCounter = 98765;  // 98.765 s
  RuntimeSetTimerSourcesForTesting(&sources);
  Randomize(-1.0, kRandomMersenne);
  ExpectMersenne(98u, 3);
}

TEST_F(RuntimeRandom, TimerUsesTheCounterOrElseTheTickCountAndAsksOnce) {
  RuntimeTimerSources sources = {FakeFrequency, FakeCounter, FakeTicks};
  frequencyWorks = true;
  frequencyQuestions = 0;
  fakeCounter = 2500;
  RuntimeSetTimerSourcesForTesting(&sources);
  EXPECT_DOUBLE_EQ(RuntimeTimer(), 2.5);
  fakeCounter = 3750;
  EXPECT_DOUBLE_EQ(RuntimeTimer(), 3.75);
  EXPECT_EQ(frequencyQuestions, 1);

  frequencyWorks = false;
  frequencyQuestions = 0;
  RuntimeSetTimerSourcesForTesting(&sources);
  EXPECT_DOUBLE_EQ(RuntimeTimer(), 1.234);
  frequencyWorks = true;  // too late: the first answer holds
  EXPECT_DOUBLE_EQ(RuntimeTimer(), 1.234);
  EXPECT_EQ(frequencyQuestions, 1);

  RuntimeSetTimerSourcesForTesting(nullptr);
  EXPECT_GT(RuntimeTimer(), 0.0);
  ExpectPaceOfTheSteadyClock(RuntimeTimer);
}

}  // namespace

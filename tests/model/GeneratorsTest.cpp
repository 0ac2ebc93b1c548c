#include "model/Generators.h"

#include <gtest/gtest.h>

#include "support/PrintTo.h"
#include "support/Fakes.h"

#include <algorithm>
#include <climits>
#include <set>
#include <utility>

using namespace model;
using testing_support::FakeClock;

namespace {

using Generator = void (*)(AppState&, RandomSource&, platform::Clock&);
using Pair = std::pair<int, int>;

// Passes draws through to a real source and counts them.
struct CountingRandomSource final : RandomSource {
    explicit CountingRandomSource(RandomSource& source) : inner(source) {}
    double rnd() override { return ++draws, inner.rnd(); }
    void randomize(double seconds) override { inner.randomize(seconds); }
    RandomSource& inner;
    long draws = 0;
};

constexpr int kCalls = 20000;
// Far below the generators' own give-up bound: a call that needs more draws
// than this is not terminating quickly.
constexpr long kMaxDrawsPerCall = 2000;

void setLevel(AppState& state, int level)
{
    static constexpr Pair ranges[] = {{1, 30}, {30, 60}, {60, 99}, {1, 99}};
    state.levelNumber = int16(level);
    std::tie(state.rangeMin, state.rangeMax) =
        std::pair(int16(ranges[level - 1].first), int16(ranges[level - 1].second));
}

const auto twoWide = [](int value) { return value < 10 ? QStringLiteral(" ") : QString(); };

struct Extremes {
    int low = INT_MAX, high = INT_MIN;
    void add(int v) { low = std::min(low, v), high = std::max(high, v); }
};

// Calls a generator many times with a seeded real source and a fixed clock
// and hands each result to `check`.
template <typename Check>
void sweep(int level, Generator generate, Check check)
{
    AppState state;
    setLevel(state, level);
    FakeClock clock;
    StdRandomSource real(20240901u + std::uint64_t(level));
    CountingRandomSource random(real);
    for (int i = 0; i < kCalls && !testing::Test::HasFatalFailure(); ++i) {
        const long before = random.draws;
        generate(state, random, clock);
        ASSERT_LE(random.draws - before, kMaxDrawsPerCall) << "call " << i;
        check(state);
    }
}

struct AdditionCase {
    int level, operandMin, operandMax, sumMin, sumMax;
    friend void PrintTo(const AdditionCase& c, std::ostream* os) { *os << "level " << c.level; }
};

class AdditionSweep : public testing::TestWithParam<AdditionCase> {};

TEST_P(AdditionSweep, OperandsAndSumsStayInTheLevel)
{
    const AdditionCase c = GetParam();
    Extremes sums;
    std::set<Pair> pairs;
    sweep(c.level, generateAdditionOperands, [&](const AppState& s) {
        ASSERT_GE(std::min(s.operandA, s.operandB), c.operandMin);
        ASSERT_LE(std::max(s.operandA, s.operandB), c.operandMax);
        ASSERT_EQ(s.additionSum, s.operandA + s.operandB);
        ASSERT_EQ(s.operandAText, QString::number(s.operandA));
        ASSERT_EQ(s.operandBText, QString::number(s.operandB));
        ASSERT_EQ(s.sumText, QString::number(s.additionSum));
        sums.add(s.additionSum);
        pairs.insert({s.operandA, s.operandB});
    });
    EXPECT_EQ(sums.low, c.sumMin);
    EXPECT_EQ(sums.high, c.sumMax);
    if (c.level == 1) {
        EXPECT_TRUE(pairs.contains({20, 10}));
        EXPECT_FALSE(pairs.contains({20, 11}) || pairs.contains({11, 20}));
    }
}

// Level 2 accepts sums from 30 but its operands start at 20, so 40 is the least;
// level 4 has no operand below 20 although its range starts at 1.
INSTANTIATE_TEST_SUITE_P(Levels, AdditionSweep,
                         testing::Values(AdditionCase{1, 1, 20, 2, 30}, AdditionCase{2, 20, 40, 40, 60},
                                         AdditionCase{3, 20, 78, 60, 98}, AdditionCase{4, 20, 78, 40, 98}));

class SubtractionSweep : public testing::TestWithParam<int> {};

TEST_P(SubtractionSweep, MinuendAboveSubtrahendWithinTheRange)
{
    const int level = GetParam();
    AppState probe;
    setLevel(probe, level);
    Extremes minuends, subtrahends, differences;
    sweep(level, generateSubtractionOperands, [&](const AppState& s) {
        ASSERT_GT(s.operandA, s.operandB);
        ASSERT_GE(s.operandB, probe.rangeMin);
        ASSERT_LE(s.operandA, probe.rangeMax);
        ASSERT_EQ(s.operandAPad, twoWide(s.operandA));
        ASSERT_EQ(s.operandBPad, twoWide(s.operandB));
        ASSERT_EQ(s.resultPad, twoWide(s.operandA - s.operandB));
        minuends.add(s.operandA);
        subtrahends.add(s.operandB);
        differences.add(s.operandA - s.operandB);
    });
    EXPECT_EQ(minuends.high, probe.rangeMax);
    EXPECT_EQ(subtrahends.low, probe.rangeMin);
    EXPECT_EQ(differences.low, 1);
    if (level == 1) {  // minuends 2..30, subtrahends 1..29, differences 1..29
        EXPECT_EQ(minuends.low, 2);
        EXPECT_EQ(subtrahends.high, 29);
        EXPECT_EQ(differences.high, 29);
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, SubtractionSweep, testing::Values(1, 2, 3, 4));

struct FactorCase {
    std::string name;
    Generator generate;
    int level, factorMax, productMin, productMax;
    friend void PrintTo(const FactorCase& c, std::ostream* os) { *os << c.name; }
};

class FactorSweep : public testing::TestWithParam<FactorCase> {};

// At levels 2 and 3 no pair keeps both factors in the range with the product
// below its top; there both factors come from 2..rangeMax/2 and the product
// must fall inside the level's range (30..60, 60..99).
TEST_P(FactorSweep, NoFactorOneAndProductsInTheLevel)
{
    const FactorCase c = GetParam();
    Extremes factors, products;
    std::set<Pair> pairs;
    sweep(c.level, c.generate, [&](const AppState& s) {
        const int product = s.operandA * s.operandB;
        ASSERT_GE(std::min(s.operandA, s.operandB), 2);
        ASSERT_LE(std::max(s.operandA, s.operandB), c.factorMax);
        ASSERT_GE(product, c.productMin);
        ASSERT_LE(product, c.productMax);
        ASSERT_EQ(s.operandAPad, twoWide(s.operandA));
        ASSERT_EQ(s.operandBPad, twoWide(s.operandB));
        ASSERT_EQ(s.resultPad, twoWide(product));
        factors.add(s.operandA);
        products.add(product);
        pairs.insert({s.operandA, s.operandB});
    });
    EXPECT_EQ(factors.high, c.factorMax);
    EXPECT_EQ(products.low, c.productMin);
    EXPECT_EQ(products.high, c.productMax);
    EXPECT_TRUE(pairs.contains({c.factorMax, 2}));  // 15 x 2 at level 1; 16 x 2 is out of bounds
    // At level 1 both sides of the pad boundary were drawn: products 9 and 10.
    EXPECT_TRUE(c.level != 1 || (pairs.contains({3, 3}) && (pairs.contains({2, 5}) || pairs.contains({5, 2}))));
}

std::vector<FactorCase> factorCases()
{
    std::vector<FactorCase> cases;
    for (auto [name, generate] : {std::pair{"Multiplication", &generateMultiplicationOperands},
                                  std::pair{"Division", &generateDivisionOperands}}) {
        const Pair products[] = {{4, 30}, {30, 60}, {60, 99}, {4, 99}};
        const int factorMax[] = {15, 30, 49, 49};
        for (int level = 1; level <= 4; ++level)
            cases.push_back({name + std::string("Level") + std::to_string(level), generate, level, factorMax[level - 1],
                             products[level - 1].first, products[level - 1].second});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Levels, FactorSweep, testing::ValuesIn(factorCases()),
                         [](const auto& info) { return info.param.name; });

// Scripted pairs: all rejected but the last.
struct SeedingCase {
    std::string name;
    Generator generate;
    int level;
    int n, k;  // both operands are drawn as Int(Rnd * n) + k
    std::vector<Pair> pairs;
    std::size_t expectedSeeds;
    friend void PrintTo(const SeedingCase& c, std::ostream* os) { *os << c.name; }
};

class Seeding : public testing::TestWithParam<SeedingCase> {};

TEST_P(Seeding, DrawsUntilAcceptedAndSeedsFromTheClock)
{
    const SeedingCase c = GetParam();
    AppState state;
    setLevel(state, c.level);
    FakeClock clock;
    clock.seconds = 5000.75;
    ScriptedRandomSource random;
    for (auto [a, b] : c.pairs) {
        random.appendDraw(a, c.n, c.k);
        random.appendDraw(b, c.n, c.k);
    }
    c.generate(state, random, clock);
    EXPECT_EQ(random.remaining(), 0u);
    EXPECT_EQ(Pair(state.operandA, state.operandB), c.pairs.back());
    EXPECT_EQ(random.seeds(), std::vector<double>(c.expectedSeeds, 5000.75));
}

INSTANTIATE_TEST_SUITE_P(
    Generators, Seeding,
    testing::Values(
        SeedingCase{"AdditionLevel1", generateAdditionOperands, 1, 20, 1, {{20, 11}, {20, 10}}, 1},
        // Level 2 seeds once before the loop and again before every attempt.
        SeedingCase{"AdditionLevel2", generateAdditionOperands, 2, 30, 20, {{49, 49}, {49, 30}, {20, 25}}, 4},
        SeedingCase{"AdditionLevel4", generateAdditionOperands, 4, 90, 20, {{79, 20}, {20, 20}}, 1},
        SeedingCase{"Subtraction", generateSubtractionOperands, 1, 30, 1, {{5, 9}, {9, 9}, {9, 5}}, 1},
        SeedingCase{"Multiplication", generateMultiplicationOperands, 1, 30, 1, {{1, 5}, {5, 1}, {16, 2}, {15, 2}}, 1},
        SeedingCase{"Division", generateDivisionOperands, 4, 99, 1, {{50, 2}, {2, 1}, {2, 49}}, 1}),
    [](const auto& info) { return info.param.name; });

// States in which no pair can be accepted: the call returns and the previous
// operands, with their pads and texts, stay.
struct StuckCase {
    std::string name;
    Generator generate;
    int levelNumber, rangeMin, rangeMax;
    double constant;  // < 0: a real source; otherwise a source that always gives this value
    friend void PrintTo(const StuckCase& c, std::ostream* os) { *os << c.name; }
};

class NoAcceptablePair : public testing::TestWithParam<StuckCase> {};

TEST_P(NoAcceptablePair, KeepsThePreviousOperands)
{
    const StuckCase c = GetParam();
    AppState s;
    std::tie(s.levelNumber, s.rangeMin, s.rangeMax) =
        std::tuple(int16(c.levelNumber), int16(c.rangeMin), int16(c.rangeMax));
    std::tie(s.operandA, s.operandB, s.additionSum) = std::tuple(int16(77), int16(6), int16(83));
    s.operandAPad = s.operandBPad = s.resultPad = QStringLiteral("old");
    FakeClock clock;
    StdRandomSource real(99);
    ScriptedRandomSource stuck({c.constant});
    c.generate(s, c.constant < 0 ? static_cast<RandomSource&>(real) : stuck, clock);
    EXPECT_EQ(Pair(s.operandA, s.operandB), Pair(77, 6));
    EXPECT_EQ(QStringList({s.operandAPad, s.operandBPad, s.resultPad}), QStringList({"old", "old", "old"}));
    if (c.generate == &generateAdditionOperands) {
        EXPECT_EQ(s.additionSum, 83);
        EXPECT_EQ(QStringList({s.operandAText, s.operandBText, s.sumText}), QStringList({"77", "6", "83"}));
    }
}

std::vector<StuckCase> stuckCases()
{
    const Generator add = generateAdditionOperands;
    const Generator sub = generateSubtractionOperands;
    std::vector<StuckCase> cases = {
        {"AdditionLevel0", add, 0, 1, 30, -1},
        {"AdditionLevel5", add, 5, 1, 30, -1},
        {"AdditionLevel1Stuck", add, 1, 1, 30, 0.99},   // 20 + 20
        {"AdditionLevel2Stuck", add, 2, 30, 60, 0.99},  // 49 + 49
        {"AdditionLevel3Stuck", add, 3, 60, 99, 0.0},   // 20 + 20
        {"SubtractionSingleValue", sub, 1, 5, 5, -1},
        {"SubtractionReversed", sub, 1, 50, 10, -1},
        {"SubtractionExtremeReversed", sub, 1, 32767, -32768, -1},
        {"SubtractionStuck", sub, 4, 1, 99, 0.5},  // A = B every time
    };
    for (auto [name, generate] : {std::pair{"Multiplication", &generateMultiplicationOperands},
                                  std::pair{"Division", &generateDivisionOperands}}) {
        const std::tuple<const char*, int, int, double> states[] = {
            {"SingleValue", 5, 5, -1},     {"OnlyAPrime", 97, 97, -1},  {"Reversed", 50, 10, -1},
            {"Negative", -10, -1, -1},     {"NoTwoFactors", 1, 3, -1},  {"StuckOnOnes", 1, 30, 0.0},
            {"StuckOnLarge", 1, 99, 0.99}, {"StuckLevel2", 30, 60, 0.0}};  // 2 x 2 is below 30
        for (auto [what, min, max, constant] : states)
            cases.push_back({std::string(name) + what, generate, 1, min, max, constant});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(States, NoAcceptablePair, testing::ValuesIn(stuckCases()),
                         [](const auto& info) { return info.param.name; });

TEST(Generators, ExtremeRangesFinishWithPairsThatKeepTheRule)
{
    FakeClock clock;
    StdRandomSource random(5);
    AppState s;
    for (Pair range : {Pair{-32768, 32767}, Pair{-10, -1}}) {
        std::tie(s.rangeMin, s.rangeMax) = std::pair(int16(range.first), int16(range.second));
        generateSubtractionOperands(s, random, clock);
        EXPECT_TRUE(s.operandA > s.operandB && s.operandB >= range.first && s.operandA <= range.second);
    }
    std::tie(s.rangeMin, s.rangeMax) = std::pair(int16(1), int16(32767));
    generateMultiplicationOperands(s, random, clock);
    EXPECT_TRUE(std::min(s.operandA, s.operandB) >= 2 && s.operandA * s.operandB <= 32767);
}

}  // namespace

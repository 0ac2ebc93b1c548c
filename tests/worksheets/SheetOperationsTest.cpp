// Sheets of subtractions, multiplications and divisions: how each variant is
// written, what each level may draw, and that the columns line up.
#include "WorksheetTestSupport.h"
#include "worksheets/SheetGenerator.h"

#include <QRegularExpression>

#include <algorithm>
#include <cstdlib>
#include <map>

using namespace worksheets_test;
using model::Operation;
using worksheets::SheetGenerator;

namespace {

// The level ranges of the worksheet window.
constexpr int kRanges[4][2] = {{1, 30}, {30, 60}, {60, 99}, {1, 99}};

// How each level draws the two numbers: Int(Rnd * span) + base.
struct Span {
    int span, base;
};
Span spanOf(Operation op, int level)
{
    if (op == Operation::Subtraction) return {kRanges[level - 1][1] - kRanges[level - 1][0] + 1, kRanges[level - 1][0]};
    return {kRanges[level - 1][1] / 2 - 1, 2};
}

struct Sheets : ::testing::Test {
    model::AppState state;
    model::ScriptedRandomSource random;
    testing_support::FakeClock clock;
    SheetGenerator generator{state, random, clock};

    // Slot 1 at `level` with the variant and then the draws given: the two
    // numbers, C, and again when a pair is drawn anew.
    void fill(Operation op, int level, int variant, std::initializer_list<int> draws)
    {
        generator.setOperation(op);
        state.variantLow = 1;
        state.variantHigh = 12;
        state.worksheetLevel = model::int16(level);
        state.slotIndex = 1;
        random.setValues({});
        random.appendDraw(variant, 12, 1);
        const Span s = spanOf(op, level);
        int place = 0;
        for (int draw : draws) {
            // C follows each pair that passes; a pair that fails is followed by the next pair.
            if (draw < 0) place = 0;
            else if (place++ < 2) random.appendDraw(draw, s.span, s.base);
            else random.appendDraw(draw, 3, 1), place = 0;
        }
        generator.fillSlot();
    }
};

struct TextCase {
    Operation op;
    int variant;
    const char16_t* pupil;
    const char16_t* answer;  // what follows the seven blanks
};

}  // namespace

// Subtraction 17 - 9, multiplication 7 x 12 (terms swap as in the addition
// sheet), division 54 : 6 (drawn as divisor 6, quotient 9); C = 2, 3, 1.
TEST_F(Sheets, EveryVariantOfEachOperation)
{
    using enum Operation;
    // clang-format off
    const TextCase cases[] = {
        {Subtraction, 1, u"17  -   9  =   .", u"    (8)"},       {Subtraction, 2, u"  . -   9  =   8", u"   (17)"},
        {Subtraction, 3, u"17  -   .   =  8", u"    (9)"},       {Subtraction, 4, u"  . =  17  -   9", u"    (8)"},
        {Subtraction, 5, u" 8  =   .  -   9", u"   (17)"},       {Subtraction, 6, u" 8  =  17  -   .", u"    (9)"},
        {Subtraction, 7, u"17  -   9  .   8", u"    (=)"},       {Subtraction, 8, u"17  -   9  .   6", u"    (>)"},
        {Subtraction, 9, u"17  -   9  .  10", u"    (<)"},       {Subtraction, 10, u"10  .  17  -   9", u"    (>)"},
        {Subtraction, 11, u" 8  .  17  -   9", u"    (=)"},      {Subtraction, 12, u" 6  .  17  -   9", u"    (<)"},
        {Multiplication, 1, u" 7  x  12  =   .", u"   (84)"},    {Multiplication, 2, u"  . x  12  =  84", u"    (7)"},
        {Multiplication, 3, u" 7  x   .   = 84", u"   (12)"},    {Multiplication, 4, u"  . =   7  x  12", u"   (84)"},
        {Multiplication, 5, u"84  =   .  x  12", u"    (7)"},    {Multiplication, 6, u"84  =  12  x   .", u"    (7)"},
        {Multiplication, 7, u" 7  x  12  .  84", u"    (=)"},    {Multiplication, 8, u" 7  x  12  .  81", u"    (>)"},
        {Multiplication, 9, u" 7  x  12  .  87", u"    (<)"},    {Multiplication, 10, u"87  .  12  x   7", u"    (>)"},
        {Multiplication, 11, u"84  .  12  x   7", u"    (=)"},   {Multiplication, 12, u"81  .  12  x   7", u"    (<)"},
        {Division, 1, u"54  :   6  =   .", u"    (9)"},          {Division, 2, u"  . :   6  =   9", u"   (54)"},
        {Division, 3, u"54  :   .   =  9", u"    (6)"},          {Division, 4, u"  . =  54  :   6", u"    (9)"},
        {Division, 5, u" 9  =   .  :   6", u"   (54)"},          {Division, 6, u" 9  =  54  :   .", u"    (6)"},
        {Division, 7, u"54  :   6  .   9", u"    (=)"},          {Division, 8, u"54  :   6  .   8", u"    (>)"},
        {Division, 9, u"54  :   6  .  10", u"    (<)"},          {Division, 10, u"10  .  54  :   6", u"    (>)"},
        {Division, 11, u" 9  .  54  :   6", u"    (=)"},         {Division, 12, u" 8  .  54  :   6", u"    (<)"},
    };
    // clang-format on
    for (const TextCase& k : cases) {
        if (k.op == Subtraction) fill(k.op, 4, k.variant, {17, 9, 2});
        if (k.op == Multiplication) fill(k.op, 4, k.variant, {7, 12, 3});
        if (k.op == Division) fill(k.op, 4, k.variant, {6, 9, 1});
        const QString pupil = QString::fromUtf16(k.pupil);
        EXPECT_EQ(state.pupilLines[1], pupil) << int(k.op) << " variant " << k.variant;
        EXPECT_EQ(state.teacherLines[1], QString(pupil % kGap % QString::fromUtf16(k.answer)))
            << int(k.op) << " variant " << k.variant;
    }
}

// Each level reaches its far bounds and no further: the pair just outside
// is drawn again, the one on the bound kept. A compared number that would
// fall below 1 or leave the level's range starts the draw again too.
TEST_F(Sheets, EveryLevelReachesItsBoundsAndNoFurther)
{
    using enum Operation;
    struct Case {
        Operation op;
        int level, variant;
        std::initializer_list<int> draws;  // -1 ends a pair that fails before C is drawn
        int a, b;                          // as written: minuend/factor/dividend, subtrahend/factor/divisor
    };
    const Case cases[] = {
        {Subtraction, 1, 1, {5, 5, -1, 30, 1, 1}, 30, 1},
        {Subtraction, 2, 1, {31, 40, -1, 60, 30, 1}, 60, 30},
        {Subtraction, 3, 1, {60, 60, -1, 99, 60, 1}, 99, 60},
        {Subtraction, 4, 1, {1, 2, -1, 2, 1, 1}, 2, 1},
        {Subtraction, 4, 8, {2, 1, 1, 4, 2, 1}, 4, 2},  // 1 - C is below 1; 2 - 1 is not
        {Multiplication, 1, 1, {15, 3, -1, 15, 2, 1}, 15, 2},
        {Multiplication, 1, 9, {15, 2, 1, 9, 3, 1}, 9, 3},  // 30 + C leaves 1..30; 27 + 1 does not
        {Multiplication, 2, 1, {2, 14, -1, 2, 30, 1}, 2, 30},
        {Multiplication, 3, 1, {7, 8, -1, 33, 3, 1}, 33, 3},
        {Multiplication, 4, 1, {49, 3, -1, 2, 2, 1}, 2, 2},
        {Division, 1, 1, {15, 3, -1, 15, 2, 1}, 30, 15},
        {Division, 2, 1, {2, 14, -1, 2, 30, 1}, 60, 2},
        {Division, 3, 1, {7, 8, -1, 3, 33, 1}, 99, 3},
        {Division, 4, 12, {49, 49, -1, 2, 2, 1}, 4, 2},  // quotient 2, compared with 1
    };
    for (const Case& k : cases) {
        fill(k.op, k.level, k.variant, k.draws);
        EXPECT_EQ(random.remaining(), 0u) << int(k.op) << " level " << k.level << " variant " << k.variant;
        EXPECT_EQ(state.operandA, k.a) << int(k.op) << " level " << k.level << " variant " << k.variant;
        EXPECT_EQ(state.operandB, k.b) << int(k.op) << " level " << k.level << " variant " << k.variant;
    }
}

// Many draws from a real source at every level of each operation. Every line,
// with the unknown filled in from the teacher's brackets, is a true statement
// whose numbers keep the level's rules; the results spread over the level;
// and in each variant every number ends in the same column, so the lines of
// the fixed-pitch sheet stand one under the other.
TEST(SheetOperationLevels, EveryDrawValidSpreadAndAligned)
{
    model::AppState state;
    model::StdRandomSource random(20261208);
    testing_support::FakeClock clock;
    SheetGenerator generator(state, random, clock);
    state.variantLow = 1;
    state.variantHigh = 12;
    state.slotIndex = 1;
    const QRegularExpression teacherForm(uR"(^(.{16}) {7}( ?) {3,4}\((\d+|[=<>])\)$)"_s);

    for (Operation op : {Operation::Subtraction, Operation::Multiplication, Operation::Division}) {
        generator.setOperation(op);
        const QChar sign = op == Operation::Subtraction ? u'-' : op == Operation::Multiplication ? u'x' : u':';
        for (int level = 1; level <= 4; ++level) {
            const int min = kRanges[level - 1][0], max = kRanges[level - 1][1];
            // What the rules allow, from every pair of numbers up to 99.
            int lowest = 1000, highest = 0;
            for (int a = 1; a <= 99; ++a)
                for (int b = 1; b <= 99; ++b) {
                    const bool ok = op == Operation::Subtraction ? a >= min && a <= max && b >= min && b <= max && a > b
                                                                 : a >= 2 && b >= 2 && a * b >= min && a * b <= max;
                    const int checked = op == Operation::Subtraction ? a - b : a * b;
                    if (ok) lowest = std::min(lowest, checked), highest = std::max(highest, checked);
                }

            state.worksheetLevel = model::int16(level);
            std::map<int, QString> shapes;  // variant -> where its digits end and its signs stand
            int seenLowest = 1000, seenHighest = 0;
            for (int i = 0; i < 2000; ++i) {
                generator.fillSlot();
                const QString& pupil = state.pupilLines[1];
                const auto m = teacherForm.match(state.teacherLines[1]);
                ASSERT_TRUE(m.hasMatch() && m.captured(1) == pupil && state.teacherLines[1].size() == 30)
                    << state.teacherLines[1].toStdString();
                const QString answer = m.captured(3);

                QString shape = pupil;
                for (qsizetype c = 0; c < shape.size(); ++c)
                    if (shape[c].isDigit()) shape[c] = c + 1 < shape.size() && shape[c + 1].isDigit() ? u' ' : u'#';
                auto [it, added] = shapes.try_emplace(generator.sheetVariant(), shape);
                ASSERT_EQ(it->second, shape) << pupil.toStdString();

                // "a op b  rel  n" or "n  rel  a op b", the dot replaced by the answer.
                QStringList t = pupil.split(u' ', Qt::SkipEmptyParts);
                ASSERT_EQ(t.size(), 5) << pupil.toStdString();
                t[t.indexOf(u"."_s)] = answer;
                const bool left = t[1] == sign;
                const int a = t[left ? 0 : 2].toInt(), b = t[left ? 2 : 4].toInt(), n = t[left ? 4 : 0].toInt();
                const QString rel = left ? t[3] : t[1];
                ASSERT_TRUE(t[left ? 1 : 3] == sign && rel.size() == 1 && QStringView(u"=<>").contains(rel[0]))
                    << pupil.toStdString();
                int value = 0, checked = 0;
                if (op == Operation::Subtraction) {
                    ASSERT_TRUE(a >= min && a <= max && b >= min && b <= max && a > b) << pupil.toStdString();
                    value = checked = a - b;
                } else if (op == Operation::Multiplication) {
                    ASSERT_TRUE(a >= 2 && b >= 2 && a * b >= min && a * b <= max) << pupil.toStdString();
                    value = checked = a * b;
                } else {
                    ASSERT_TRUE(b >= 2 && a % b == 0 && a / b >= 2 && a >= min && a <= max) << pupil.toStdString();
                    value = a / b;
                    checked = a;
                }
                // The statement holds as the pupil reads it, left to right.
                const int lhs = left ? value : n, rhs = left ? n : value;
                ASSERT_EQ(rel, lhs == rhs ? u"="_s : lhs < rhs ? u"<"_s : u">"_s) << pupil.toStdString();
                ASSERT_TRUE(n == value || (n >= 1 && n <= max && std::abs(n - value) <= 3)) << pupil.toStdString();
                seenLowest = std::min(seenLowest, checked);
                seenHighest = std::max(seenHighest, checked);
            }
            EXPECT_EQ(shapes.size(), 12u);
            EXPECT_EQ(seenLowest, lowest) << int(op) << " level " << level;
            EXPECT_GE(seenHighest, highest - 5) << int(op) << " level " << level;
        }
    }
}

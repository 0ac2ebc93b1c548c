#include "WorksheetTestSupport.h"
#include "worksheets/SheetGenerator.h"

#include <algorithm>

using namespace worksheets_test;
using worksheets::SheetGenerator;

namespace {

struct Generation : ::testing::Test {
    model::AppState state;
    model::ScriptedRandomSource random;
    testing_support::FakeClock clock;
    SheetGenerator generator{state, random, clock};

    // One fill of slot 1 at level 1 with the variant and the three draws given.
    void fill(int variant, int a, int b, int c)
    {
        state.variantLow = 1;
        state.variantHigh = 12;
        state.worksheetLevel = 1;
        state.slotIndex = 1;
        random.appendDraw(variant, 12, 1);
        random.appendDraw(a, 20, 2);
        random.appendDraw(b, 20, 2);
        random.appendDraw(c, 3, 1);
        generator.fillSlot();
    }
};

struct VariantCase {
    int variant, a, b, c;
    const char16_t* pupil;
    const char16_t* answer;  // what follows the seven blanks
};

}  // namespace

TEST_F(Generation, EveryVariantAsTheTableWritesIt)
{
    // clang-format off
    const VariantCase cases[] = {
        {1, 5, 12, 1, u" 5  +  12  =   .", u"   (17)"},  {2, 4, 7, 1, u"  . +   7  =  11", u"    (4)"},
        {1, 4, 12, 2, u" 4  +  12  =   .", u"   (16)"},  {2, 4, 12, 2, u"  . +  12  =  16", u"    (4)"},
        {3, 4, 12, 2, u" 4  +   .   = 16", u"   (12)"},  {4, 4, 12, 2, u"  . =   4  +  12", u"   (16)"},
        {5, 4, 12, 2, u"16  =   .  +  12", u"    (4)"},   {6, 4, 12, 2, u"16  =  12  +   .", u"    (4)"},
        {7, 4, 12, 2, u" 4  +  12  .  16", u"    (=)"},   {8, 4, 12, 2, u" 4  +  12  .  14", u"    (>)"},
        {9, 4, 12, 2, u" 4  +  12  .  18", u"    (<)"},   {10, 4, 12, 2, u"18  .  12  +   4", u"    (>)"},
        {11, 4, 12, 2, u"16  .  12  +   4", u"    (=)"},  {12, 4, 12, 2, u"14  .  12  +   4", u"    (<)"},
        // Pads of a one-digit sum and compared number.
        {1, 3, 5, 1, u" 3  +   5  =   .", u"    (8)"},   {3, 3, 5, 1, u" 3  +   .   =  8", u"    (5)"},
        {8, 3, 5, 1, u" 3  +   5  .   7", u"    (>)"},   {10, 3, 5, 1, u" 9  .   5  +   3", u"    (>)"},
        {12, 3, 5, 1, u" 7  .   5  +   3", u"    (<)"},
    };
    // clang-format on
    for (const VariantCase& k : cases) {
        state.operationKind = 4;
        fill(k.variant, k.a, k.b, k.c);
        const QString pupil = QString::fromUtf16(k.pupil);
        EXPECT_EQ(generator.sheetVariant(), k.variant);
        EXPECT_EQ(state.pupilLines[1], pupil) << "variant " << k.variant;
        EXPECT_EQ(state.teacherLines[1], pupil % kGap % QString::fromUtf16(k.answer)) << "variant " << k.variant;
        EXPECT_EQ(state.operationKind, 4);  // the copy's kind stays
    }
    // Seeded from the clock at the start of each fill and again before the addends.
    EXPECT_EQ(random.seeds(), std::vector<double>(2 * std::size(cases), clock.seconds));
}

TEST_F(Generation, NothingStoredWithoutVariantOrOutsideTheArrays)
{
    state.pupilLines[1] = u"before"_s;
    state.teacherLines[1] = u"before"_s;
    state.variantLow = state.variantHigh = 0;  // no objective chosen
    state.worksheetLevel = 1;
    state.slotIndex = 1;
    random.setValues({0.5});
    generator.fillSlot();
    EXPECT_EQ(state.pupilLines[1], u"before"_s);
    EXPECT_EQ(state.teacherLines[1], u"before"_s);

    const model::RecordArray pupils = state.pupilLines, teachers = state.teacherLines;
    state.variantLow = state.variantHigh = 1;
    for (int slot : {-1, 91, 32767}) {
        state.slotIndex = model::int16(slot);
        generator.fillSlot();
    }
    EXPECT_EQ(state.pupilLines, pupils);
    EXPECT_EQ(state.teacherLines, teachers);
}

TEST_F(Generation, RedrawsThePairAndStartsAgainWhenTheOffsetDoesNotFit)
{
    state.worksheetLevel = 1;
    random.appendDraw(21, 20, 2);  // 21 + 21 > 30: both again
    random.appendDraw(21, 20, 2);
    random.appendDraw(14, 20, 2);
    random.appendDraw(15, 20, 2);
    random.appendDraw(3, 3, 1);  // 29 + 3 > 30: again from A
    random.appendDraw(10, 20, 2);
    random.appendDraw(11, 20, 2);
    random.appendDraw(2, 3, 1);
    generator.drawSheetAddends();
    EXPECT_EQ(random.drawsMade(), 8u);
    EXPECT_EQ(state.operandA, 10);
    EXPECT_EQ(state.operandB, 11);
    EXPECT_EQ(state.signOffset, 2);
}

TEST_F(Generation, UnknownLevelOrHopelessSourceLeavesTheOperands)
{
    state.operandA = 7;
    state.operandB = 8;
    state.signOffset = 3;
    random.setValues({0.999});  // level 2 always draws 39 + 39
    for (int level : {0, 5, -1, 2}) {
        state.worksheetLevel = model::int16(level);
        generator.drawSheetAddends();
        EXPECT_EQ(state.operandA, 7) << level;
        EXPECT_EQ(state.operandB, 8) << level;
        EXPECT_EQ(state.signOffset, 3) << level;
    }
}

TEST(SheetLevels, BoundsOverManyDraws)
{
    struct Bounds {
        int addendMin, addendMax, sumMin, sumMax, withOffsetMin, withOffsetMax;
    };
    // Addends as drawn, narrowed by the sums: at levels 3 and 4 the other
    // addend is at least 20 and the sum at most 89.
    const Bounds levels[] = {
        {2, 21, 4, 29, 0, 30}, {10, 39, 30, 59, 30, 60}, {20, 69, 60, 89, 60, 90}, {20, 69, 40, 89, 1, 90}};
    model::AppState state;
    model::StdRandomSource random(7);
    testing_support::FakeClock clock;
    SheetGenerator generator(state, random, clock);
    for (int level = 1; level <= 4; ++level) {
        const Bounds& b = levels[level - 1];
        state.worksheetLevel = model::int16(level);
        int lowest = 1000, highest = 0;
        for (int i = 0; i < 3000; ++i) {
            generator.drawSheetAddends();
            const int a = state.operandA, bb = state.operandB, c = state.signOffset, sum = a + bb;
            ASSERT_TRUE(a >= b.addendMin && a <= b.addendMax && bb >= b.addendMin && bb <= b.addendMax)
                << "level " << level << ": " << a << " + " << bb;
            ASSERT_TRUE(sum >= b.sumMin && sum <= b.sumMax) << "level " << level << ": " << sum;
            ASSERT_TRUE(c >= 1 && c <= 3 && sum + c >= b.withOffsetMin && sum + c <= b.withOffsetMax);
            lowest = std::min({lowest, a, bb});
            highest = std::max({highest, a, bb});
        }
        // The draws cover the addend range, not just a corner of it.
        EXPECT_EQ(lowest, b.addendMin) << "level " << level;
        EXPECT_GE(highest, b.addendMax - 5) << "level " << level;
    }
}

TEST(SheetLevels, SignObjectiveGivesTrueSignsAndNoNumberBelowOne)
{
    model::AppState state;
    model::StdRandomSource random(11);
    testing_support::FakeClock clock;
    SheetGenerator generator(state, random, clock);
    state.variantLow = 7;
    state.variantHigh = 12;
    state.worksheetLevel = 1;
    state.slotIndex = 5;
    // A side of the comparison: one number or a sum of two.
    auto side = [](const QString& text) {
        int total = 0;
        for (const QString& number : text.split(u'+')) {
            const int n = number.trimmed().toInt();
            EXPECT_GE(n, 1) << text.toStdString();
            total += n;
        }
        return total;
    };
    for (int i = 0; i < 2000; ++i) {
        generator.fillSlot();
        ASSERT_TRUE(generator.sheetVariant() >= 7 && generator.sheetVariant() <= 12);
        const QString& pupil = state.pupilLines[5];
        const QStringList sides = pupil.split(u"  .  "_s);
        ASSERT_EQ(sides.size(), 2) << pupil.toStdString();
        const int left = side(sides[0]), right = side(sides[1]);
        const QString sign = left == right ? u"="_s : left < right ? u"<"_s : u">"_s;
        ASSERT_EQ(state.teacherLines[5], pupil % kGap % u"    (" % sign % u")");
    }
}

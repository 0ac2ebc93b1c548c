#include "model/Generators.h"
#include "model/Presenters.h"

#include <gtest/gtest.h>

#include "support/PrintTo.h"
#include "support/Fakes.h"

#include <algorithm>

using namespace model;

namespace {

using Presenter = Presentation (*)(AppState&, RandomSource&);
constexpr int kIndex = 37;
constexpr Placement L = Placement::UnknownLeft, M = Placement::UnknownMiddle, R = Placement::UnknownRight;

// One variant of an operation. `shown` is LblNumero1, LblNumero2 for a number
// variant and lblNumero4, lblNumero6, LblNumero8 for a sign variant; `signs`
// is LblSegno, LblUguale, or empty for a sign variant.
struct Row {
    int variant;
    QStringList shown;
    Placement placement;
    QStringList signs;
    QString expected, record;
};
// A sign variant: operation left of the sign in 7..9, right of it in 10..12.
Row S(int v, QStringList shown, QString expected, QString record)
{
    return {v, std::move(shown), R, {}, std::move(expected), std::move(record)};
}

const auto twoWide = [](int value) { return value < 10 ? QStringLiteral(" ") : QString(); };

// The state the generator leaves for `present`: the operands, their texts for
// an addition (with stale pads the presenter must recompute), otherwise their
// width-2 pads (the last one for D in a subtraction, for P otherwise).
AppState generated(Presenter present, int a, int b)
{
    AppState s;
    std::tie(s.operandA, s.operandB) = std::pair(int16(a), int16(b));
    const int result = present == VisualizzaSot ? a - b : a * b;
    std::tie(s.operandAPad, s.operandBPad, s.resultPad) = std::tuple(twoWide(a), twoWide(b), twoWide(result));
    if (present == VisualizzaAdd) {
        s.operandAPad = s.operandBPad = s.sumPad = QStringLiteral("?");
        s.additionSum = int16(a + b);
        std::tie(s.operandAText, s.operandBText, s.sumText) =
            std::tuple(QString::number(a), QString::number(b), QString::number(a + b));
    }
    return s;
}

// Poses `variant` through a scripted draw over 1..12.
Presentation pose(Presenter present, AppState& s, int variant)
{
    ScriptedRandomSource random;
    random.appendDraw(variant, 12, 1);
    std::tie(s.variantLow, s.variantHigh, s.operationIndex) = std::tuple(int16(1), int16(12), int16(kIndex));
    const Presentation p = present(s, random);
    EXPECT_EQ(s.variantCode, variant);
    EXPECT_EQ(random.drawsMade(), 1u);
    EXPECT_TRUE(random.seeds().empty()) << "a presenter must not reseed";
    return p;
}

QStringList shownNumbers(const Presentation& p)
{
    if (p.panel == AnswerPanel::Number) return {p.numero1, p.numero2};
    return {p.numero4, p.numero6, p.numero8};
}

struct OperationTable {
    std::string name;
    Presenter present;
    int a, b;
    QString sign;
    std::vector<Row> rows;
    friend void PrintTo(const OperationTable& t, std::ostream* os) { *os << t.name; }
};
OperationTable Table(std::string name, Presenter present, int a, int b, QString sign, std::vector<Row> rows)
{
    return {std::move(name), present, a, b, std::move(sign), std::move(rows)};
}

std::vector<OperationTable> operationTables()
{
    return {
        // 7 + 15 = 22; the sum shown moves to 21 or 23 in variants 8, 9, 11, 12.
        Table("Addition", VisualizzaAdd, 7, 15, "+",
              {{1, {"7", "15"}, R, {"+", "="}, "22", "  7 +  15 = .     r."},
               {2, {"15", "22"}, L, {"+", "="}, "7", "  . +  15 =  22   r."},
               {3, {"7", "22"}, M, {"+", "="}, "15", "  7 +  .  =  22   r."},
               {4, {"7", "15"}, L, {"=", "+"}, "22", "  . =   7 +  15   r."},
               {5, {"22", "15"}, M, {"=", "+"}, "7", " 22 =  .  +  15   r."},
               {6, {"22", "15"}, R, {"=", "+"}, "7", " 22 =  15 +  .    r."},
               S(7, {"7", "15", "22"}, "=", "  7 +  15 .  22   r."),
               S(8, {"7", "15", "21"}, ">", "  7 +  15 .  21   r."),
               S(9, {"7", "15", "23"}, "<", "  7 +  15 .  23   r."),
               S(10, {"22", "7", "15"}, "=", " 22 .   7 +  15   r."),
               S(11, {"23", "7", "15"}, ">", " 23 .   7 +  15   r."),
               S(12, {"21", "15", "7"}, "<", " 21 .  15 +   7   r.")}),
        // 17 - 9 = 8.
        Table("Subtraction", VisualizzaSot, 17, 9, "-",
              {{1, {"17", "9"}, R, {"-", "="}, " 8", "17 -  9 = . "},
               {2, {"8", "9"}, L, {"-", "="}, " 17", " . -  8 =  9"},
               {3, {"17", "8"}, M, {"-", "="}, " 9", "17 -  . =  8"},
               {4, {"17", "9"}, L, {"=", "-"}, " 8", " . = 17 -  9"},
               {5, {"8", "9"}, M, {"=", "-"}, " 17", " 8 =  . -  9"},
               {6, {"8", "17"}, R, {"=", "-"}, " 9", " 8 = 17 - . "},
               S(7, {"17", "8", "9"}, "=", "17 -  8 .  9"),
               S(8, {"17", "9", "9"}, "<", "17 -  9 .  9"),
               S(9, {"17", "7", "9"}, ">", "17 -  7 .  9"),
               S(10, {"8", "17", "9"}, "=", " 8 . 17 -  9"),
               S(11, {"9", "17", "9"}, ">", " 9 . 17 -  9"),
               S(12, {"7", "17", "9"}, "<", " 7 . 17 -  9")}),
        // 10 x 3 = 30; variant 9 shows 9 x 3 and pads the 9.
        Table("Multiplication", VisualizzaMol, 10, 3, "x",
              {{1, {"10", "3"}, R, {"x", "="}, " 30", "10 x  3 = . "},
               {2, {"10", " 30"}, L, {"x", "="}, " 3", " . x 10 =  30"},
               {3, {"10", "30"}, M, {"x", "="}, " 3", "10 x  . = 30"},
               {4, {"30", "3"}, M, {"=", "x"}, " 10", "30 =  . x  3"},
               {5, {"30", "3"}, R, {"=", "x"}, " 10", "30 =  3 x . "},
               {6, {"10", " 3"}, L, {"=", "x"}, " 30", " . = 10 x   3"},
               S(7, {"10", "3", "30"}, "=", "10 x  3 . 30"),
               S(8, {"10", "3", "29"}, ">", "10 x  3 . 29"),
               S(9, {"9", "3", "30"}, "<", " 9 x  3 . 30"),
               S(10, {"30", "10", "3"}, "=", "30 . 10 x  3"),
               S(11, {"31", "3", "10"}, ">", "31 .  3 x 10"),
               S(12, {"29", "10", "3"}, "<", "29 . 10 x  3")}),
        // 30 : 2 = 15, from the factors 15 and 2.
        Table("Division", VisualizzaDiv, 15, 2, ":",
              {{1, {"30", "2"}, R, {":", "="}, " 15", "30 :  2 = . "},
               {2, {"15", "2"}, L, {":", "="}, " 30", " . : 15 =  2"},
               {3, {"30", "2"}, M, {":", "="}, " 15", "30 :  . =  2"},
               {4, {"30", "2"}, L, {"=", ":"}, " 15", " . = 30 :  2"},
               {5, {"15", "2"}, M, {"=", ":"}, " 30", "15 =  . :  2"},
               {6, {"15", "30"}, R, {"=", ":"}, " 2", "15 = 30 : . "},
               S(7, {"30", "15", "2"}, "=", "30 : 15 .  2"),
               S(8, {"30", "15", "1"}, ">", "30 : 15 .  1"),
               S(9, {"30", "15", "3"}, "<", "30 : 15 .  3"),
               S(10, {"15", "30", "2"}, "=", "15 . 30 :  2"),
               S(11, {"16", "30", "2"}, ">", "16 . 30 :  2"),
               S(12, {"14", "30", "2"}, "<", "14 . 30 :  2")}),
    };
}

class VariantTable : public testing::TestWithParam<OperationTable> {};

TEST_P(VariantTable, EveryVariantPosesAnswersAndRecords)
{
    const OperationTable& table = GetParam();
    ASSERT_EQ(table.rows.size(), 12u);
    for (const Row& row : table.rows) {
        SCOPED_TRACE(testing::Message() << "variant " << row.variant);
        AppState s = generated(table.present, table.a, table.b);
        const Presentation p = pose(table.present, s, row.variant);
        EXPECT_EQ(shownNumbers(p), row.shown);
        if (row.variant <= 6) {
            EXPECT_EQ(p.panel, AnswerPanel::Number);
            EXPECT_EQ(p.placement, row.placement);
            EXPECT_EQ(QStringList({p.segno, p.uguale}), row.signs);
        } else {
            EXPECT_EQ(p.panel, AnswerPanel::Sign);
            EXPECT_EQ(p.uguale2, table.sign);
            EXPECT_EQ(p.operationOnLeft, row.variant <= 9);
        }
        EXPECT_EQ(s.expectedAnswer, row.expected);
        EXPECT_EQ(s.doneOperations[kIndex], row.record);
        EXPECT_EQ(std::count_if(s.doneOperations.begin(), s.doneOperations.end(), std::mem_fn(&QString::isEmpty)),
                  kRecordSlots - 1);
        if (table.present == VisualizzaAdd) {  // a moved sum stays in the shared state
            EXPECT_EQ(s.sumText, row.variant <= 6 ? QStringLiteral("22") : row.shown[row.variant <= 9 ? 2 : 0]);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Operations, VariantTable, testing::ValuesIn(operationTables()),
                         [](const auto& info) { return info.param.name; });

struct PadChange {
    std::string name;
    Presenter present;
    int variant, a, b;
    QStringList shown;
    QString expected, record;
    QStringList padsAfter;  // operandAPad, operandBPad, resultPad
    friend void PrintTo(const PadChange& c, std::ostream* os) { *os << c.name; }
};
PadChange Moved(std::string name, Presenter present, int variant, int a, int b, QStringList shown, QString expected,
                QString record, QStringList padsAfter)
{
    return {std::move(name), present, variant, a, b, shown, expected, record, padsAfter};
}

class MovedNumber : public testing::TestWithParam<PadChange> {};

TEST_P(MovedNumber, RecordAndPadsKeptInTheState)
{
    const PadChange& c = GetParam();
    AppState s = generated(c.present, c.a, c.b);
    const Presentation p = pose(c.present, s, c.variant);
    EXPECT_EQ(shownNumbers(p), c.shown);
    EXPECT_EQ(s.expectedAnswer, c.expected);
    EXPECT_EQ(s.doneOperations[kIndex], c.record);
    EXPECT_EQ(QStringList({s.operandAPad, s.operandBPad, s.resultPad}), c.padsAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MovedNumber,
    testing::Values(
        Moved("Mol2SpacedProduct", VisualizzaMol, 2, 3, 4, {"3", " 12"}, " 4", " . x  3 =  12", {" ", " ", ""}),
        Moved("Mol8KeepsPadOfProduct", VisualizzaMol, 8, 2, 5, {"2", "5", "9"}, ">", " 2 x  5 . 9", {" ", " ", ""}),
        Moved("Mol11SwapsTheFactors", VisualizzaMol, 11, 5, 6, {"31", "6", "5"}, ">", "31 .  6 x  5", {" ", " ", ""}),
        Moved("Div8TenBecomesNine", VisualizzaDiv, 8, 3, 10, {"30", "3", "9"}, ">", "30 :  3 .  9", {" ", " ", ""}),
        Moved("Div9NineBecomesTen", VisualizzaDiv, 9, 3, 9, {"27", "3", "10"}, "<", "27 :  3 . 10", {" ", "", ""}),
        Moved("Div11NineBecomesTen", VisualizzaDiv, 11, 9, 2, {"10", "18", "2"}, ">", "10 . 18 :  2", {"", " ", ""}),
        Moved("Div12TenBecomesNine", VisualizzaDiv, 12, 10, 2, {"9", "20", "2"}, "<", " 9 . 20 :  2", {" ", " ", ""}),
        Moved("Div12TwoBecomesOne", VisualizzaDiv, 12, 2, 3, {"1", "6", "3"}, "<", " 1 .  6 :  3", {" ", " ", " "}),
        // The moved difference keeps the pad of D.
        Moved("Sot8NineShownAsTen", VisualizzaSot, 8, 20, 11, {"20", "10", "11"}, "<", "20 -  10 . 11", {"", "", " "}),
        Moved("Sot9OneShownAsZero", VisualizzaSot, 9, 2, 1, {"2", "0", "1"}, ">", " 2 -  0 .  1", {" ", " ", " "}),
        Moved("Sot11NineShownAsTen", VisualizzaSot, 11, 20, 11, {"10", "20", "11"}, ">", " 10 . 20 - 11",
              {"", "", " "})),
    [](const auto& info) { return info.param.name; });

TEST(Presenters, OnlyTheMovingVariantsChangeGeneratorPads)
{
    const std::pair<Presenter, std::vector<int>> moving[] = {
        {VisualizzaSot, {}}, {VisualizzaMol, {9}}, {VisualizzaDiv, {8, 9, 11, 12}}};
    for (const auto& [present, variants] : moving) {
        for (int v = 1; v <= 12; ++v) {
            if (std::find(variants.begin(), variants.end(), v) != variants.end()) continue;
            const AppState before = generated(present, 10, 9);  // next to 10: a recomputed pad would differ
            AppState s = before;
            pose(present, s, v);
            EXPECT_EQ(QStringList({s.operandAPad, s.operandBPad, s.resultPad}),
                      QStringList({before.operandAPad, before.operandBPad, before.resultPad}))
                << v;
        }
    }
}

TEST(AdditionPresenter, MovedSumAtTheTenBoundaryIsRepadded)
{
    AppState ten = generated(VisualizzaAdd, 4, 6);
    EXPECT_EQ(pose(VisualizzaAdd, ten, 8).numero8, QStringLiteral("9"));
    EXPECT_EQ(ten.sumPad, QStringLiteral("  "));
    EXPECT_EQ(ten.doneOperations[kIndex], QStringLiteral("  4 +   6 .   9   r."));

    AppState nine = generated(VisualizzaAdd, 4, 5);
    EXPECT_EQ(pose(VisualizzaAdd, nine, 9).numero8, QStringLiteral("10"));
    EXPECT_EQ(nine.sumPad, QStringLiteral(" "));
    EXPECT_EQ(nine.doneOperations[kIndex], QStringLiteral("  4 +   5 .  10   r."));
}

TEST(AdditionPresenter, EveryRecordLineIsTwentyCharacters)
{
    testing_support::FakeClock clock;
    StdRandomSource random(77);
    for (int level = 1; level <= 4; ++level) {
        AppState drawn;
        drawn.levelNumber = int16(level);
        for (int i = 0; i < 300; ++i) {
            generateAdditionOperands(drawn, random, clock);
            for (int v = 1; v <= 12; ++v) {
                AppState s = drawn;
                pose(VisualizzaAdd, s, v);
                const QString& line = s.doneOperations[kIndex];
                ASSERT_EQ(line.size(), 20) << "level " << level << " variant " << v << " '" << line.toStdString();
                ASSERT_TRUE(line.endsWith(QStringLiteral("r.")));
            }
        }
    }
}

TEST(Presenters, VariantDrawnFromTheObjectiveRangeWithoutReseeding)
{
    const std::pair<int, int> ranges[] = {{1, 1}, {2, 3}, {1, 3}, {1, 6}, {7, 12}, {1, 12}};
    for (Presenter present : {VisualizzaAdd, VisualizzaSot, VisualizzaMol, VisualizzaDiv}) {
        for (auto [low, high] : ranges) {
            // The lowest and highest values of Rnd give the ends of the range.
            for (auto [r, expected] : {std::pair{0.0, low}, std::pair{0.9999999, high}}) {
                AppState s = generated(present, 15, 2);
                std::tie(s.variantLow, s.variantHigh) = std::pair(int16(low), int16(high));
                ScriptedRandomSource random({r});
                const Presentation p = present(s, random);
                EXPECT_EQ(s.variantCode, expected) << low << ".." << high << " r=" << r;
                EXPECT_EQ(p.panel, expected <= 6 ? AnswerPanel::Number : AnswerPanel::Sign);
                EXPECT_TRUE(random.seeds().empty());
            }
        }
    }
}

TEST(Presenters, IndexOutsideTheRecordWritesNothing)
{
    for (Presenter present : {VisualizzaAdd, VisualizzaSot, VisualizzaMol, VisualizzaDiv}) {
        for (int index : {-1, 91, 32767, -32768, 0, 90}) {
            AppState s = generated(present, 15, 2);
            s.doneOperations.fill(QStringLiteral("old"));
            s.variantLow = s.variantHigh = 1;
            s.operationIndex = int16(index);
            ScriptedRandomSource random({0.5});
            present(s, random);
            for (int i = 0; i < kRecordSlots; ++i)
                ASSERT_EQ(s.doneOperations[std::size_t(i)] != QStringLiteral("old"), i == index) << index << ":" << i;
        }
    }
}

TEST(PadOperationTexts, RightAlignsToThreeAndTypedAnswerToFour)
{
    // Each text with its pad at width 3 and, as typedAnswer, at width 4. A
    // length without a rule (0, or 4 and more at width 3) keeps the old pad.
    const std::tuple<QString, QString, QString> cases[] = {
        {"7", "  ", "   "},      {"15", " ", "  "},  {"100", "", " "},    {"1000", "old", ""},
        {"12345", "old", "old"}, {"", "old", "old"}, {" 17 ", " ", "  "}, {"=", "  ", "   "}};
    for (const auto& [text, pad3, pad4] : cases) {
        AppState s;
        s.operandAText = s.operandBText = s.sumText = s.expectedAnswer = s.typedAnswer = text;
        s.operandAPad = s.operandBPad = s.sumPad = s.expectedAnswerPad = s.typedAnswerPad = QStringLiteral("old");
        padOperationTexts(s);
        EXPECT_EQ(QStringList({s.operandAPad, s.operandBPad, s.sumPad, s.expectedAnswerPad, s.typedAnswerPad}),
                  QStringList({pad3, pad3, pad3, pad3, pad4}))
            << text.toStdString();
    }
}

}  // namespace

// What a screen reader reads of the practice window, and the keys of the
// keyboard mode.

#include "PracticeTestSupport.h"

#include "model/Spoken.h"

using namespace practice_tests;

namespace {

struct PracticeSpoken : PracticeFixture {
    QString number() const { return ctl(u"fraNumero").accessibleName(); }
    QString sign() const { return ctl(u"fraSegno").accessibleName(); }
    bool key(int code) { return window().typeKey(code); }
};

}  // namespace

TEST(Spoken, SignsAndOperatorsAreSaid)
{
    EXPECT_EQ(model::spokenOperation({u" 12"_s, u":"_s, u"4"_s, u"="_s, u" 3"_s}), u"12 diviso 4 uguale 3"_s);
    EXPECT_EQ(model::spokenOperation({u"?"_s, u"x"_s, u"4"_s, u"="_s, u""_s}), u"punto di domanda per 4 uguale"_s);
    EXPECT_EQ(model::spokenOperation({u"9"_s, u"-"_s, u"2"_s, u"<"_s, u"8"_s}), u"9 meno 2 minore di 8"_s);
    EXPECT_EQ(model::spokenSymbol(u">"_s), u"maggiore di"_s);
}

TEST(Spoken, RecordLinesAreReadInWords)
{
    const std::pair<QString, QString> lines[] = {
        {u" 4 =  . :  2   9* .............................   8°  (s. 2)"_s,
         u"4 uguale 8 diviso 2, risposta sbagliata: 9, con l'aiuto, 2 secondi"_s},
        {u" 1 + 15 = .     r.....................    16   (s. 5)"_s, u"1 più 15 uguale 16, 5 secondi"_s},
        {u" 3 + 4 . 6   r.   =*    <* ...................     >   (s.12)"_s,
         u"3 più 4 maggiore di 6, risposte sbagliate: uguale e minore di, 12 secondi"_s},
        {u"  . x  7 =  42 "_s, u"punto di domanda per 7 uguale 42"_s},  // not answered yet
        {u"  8 .  11 - 3..............   >   (s. 1)"_s, u"8 maggiore di 11 meno 3, 1 secondo"_s},
        {u"   30 - 1 secondo"_s, u"   30 - 1 secondo"_s},
        {QString(), QString()},
    };
    for (const auto& [line, said] : lines)
        EXPECT_EQ(model::spokenRecordLine(line), said) << line.toStdString();
}

TEST_F(PracticeSpoken, TheOperationIsOneSentenceThatFollowsTheAnswer)
{
    state.variantHigh = 6;
    scriptAddition(3, 6, 1);
    open();
    EXPECT_EQ(number(), u"3 più 6 uguale punto di domanda"_s);
    type(u"8");
    EXPECT_EQ(number(), u"3 più 6 uguale 8"_s);
    verifica();  // wrong
    si();
    EXPECT_EQ(number(), u"3 più 6 uguale 9: la tua risposta 8 era sbagliata"_s);

    scriptAddition(5, 7, 2);  // the unknown first: ? + 7 = 12
    avanti();
    EXPECT_EQ(number(), u"punto di domanda più 7 uguale 12"_s);
}

TEST_F(PracticeSpoken, SignVariantsAreReadInTheirPlaces)
{
    state.variantLow = 7;
    state.variantHigh = 12;
    scriptAddition(3, 4, 8);  // 3 + 4 ? 6
    open();
    EXPECT_EQ(sign(), u"3 più 4 punto di domanda 6"_s);
    EXPECT_TRUE(key('<'));
    EXPECT_EQ(sign(), u"3 più 4 minore di 6"_s);
    verificaSign();
    si();
    EXPECT_EQ(sign(), u"3 più 4 maggiore di 6: il tuo segno, minore di, era sbagliato"_s);

    scriptAddition(3, 4, 11);  // the number first: 8 ? 3 + 4
    avantiSign();
    EXPECT_EQ(sign(), u"8 punto di domanda 3 più 4"_s);
}

TEST_F(PracticeSpoken, KeysDoWhatTheButtonsWouldDoNow)
{
    scriptAddition(3, 4, 1);
    open();
    EXPECT_FALSE(key(forms::kKeyEnter));  // nothing typed: "Verifica" is disabled
    EXPECT_FALSE(key(forms::kKeyEscape));  // "Esci" only between operations
    EXPECT_FALSE(key('='));  // the sign keypad is not in front
    EXPECT_TRUE(key('1'));
    EXPECT_TRUE(key(forms::kKeyBackspace));
    EXPECT_EQ(caption(u"lblRisultato1"), u"?");
    EXPECT_TRUE(key('7'));
    EXPECT_TRUE(key(forms::kKeyEnter));  // "Verifica"
    EXPECT_EQ(caption(u"LblEsito"), u"Esatto");
    EXPECT_FALSE(key('5'));  // digits are disabled once answered

    scriptAddition(2, 2, 1);
    EXPECT_TRUE(key(forms::kKeyEnter));  // "Avanti"
    EXPECT_EQ(state.operationIndex, 2);
    EXPECT_TRUE(key('4'));
    EXPECT_TRUE(key(forms::kKeyEnter));
    EXPECT_TRUE(key(forms::kKeyEscape));  // "Esci"
    EXPECT_FALSE(host.isLoaded(u"FrmOperativo"_s));
}

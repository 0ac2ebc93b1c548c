// The pupil's name is the one text a user types. Whatever arrives in the box,
// pasted whole or typed a character at a time, the name kept at AVANTI, the
// one in the list's header and the one on the certificate are whole, valid
// text of at most fifteen characters.

#include "CertificateTestSupport.h"

#include <algorithm>

namespace certificate_tests {
namespace {

struct NameCase {
    std::string name;
    QString typed;
    QString kept;  // as AVANTI stores it and the list prints it
    QString card;  // as the certificate writes it
    friend void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }
};

QString repeated(QStringView piece, int times)
{
    QString out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

// Characters, not UTF-16 units.
qsizetype characters(const QString& text)
{
    return text.toUcs4().size();
}

bool hasControlCharacters(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.category() == QChar::Other_Control; });
}

const QString kSmile = u"😀"_s;       // outside the basic plane: two UTF-16 units
const QString kDeseretLow = u"𐐨"_s;  // a letter outside the basic plane that has a case
const QString kDeseretUp = u"𐐀"_s;

enum class Entry { Pasted, TypedOneByOne };
void PrintTo(Entry e, std::ostream* os)
{
    *os << (e == Entry::Pasted ? "pasted" : "typed one by one");
}

class HostileNameTest : public CertificateFixture, public ::testing::WithParamInterface<std::tuple<NameCase, Entry>> {
protected:
    // Each key adds one character to what the box holds, as the view sends it.
    void enter(certificate::ExercisesWindow& list, const QString& text, Entry entry)
    {
        forms::Control& box = list.c(u"txtNome");
        if (entry == Entry::Pasted) {
            list.textEdited(box, text);
            return;
        }
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype units = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            list.textEdited(box, box.caption() + text.mid(i, units));
            i += units - 1;
        }
    }
};

TEST_P(HostileNameTest, NameIsKeptPrintedAndDrawnWhole)
{
    const auto& [c, entry] = GetParam();
    recordRun(10);
    state.rightAnswers = 10;
    auto& list = openList();

    list.press(u"Option1", 1);
    enter(list, c.typed, entry);
    list.click(list.c(u"cmdAvanti"));

    EXPECT_EQ(state.pupilName, c.kept);
    EXPECT_TRUE(state.pupilName.isValidUtf16());
    EXPECT_LE(characters(state.pupilName), 15);
    EXPECT_FALSE(hasControlCharacters(state.pupilName));

    list.press(u"Option1", 2);
    ASSERT_NE(printers.last(), nullptr);
    EXPECT_EQ(printers.last()->items.at(0).text, u"Nome " % c.kept % u"    Data di stampa 08/12/26");

    list.press(u"Option1", 3);
    ASSERT_TRUE(host.isShown(u"FrmAttestato"_s));
    ASSERT_EQ(surfaces.created.size(), 1u);
    const QString drawn = surfaces.created.front()->items.at(5).text;
    EXPECT_EQ(drawn, c.card);
    EXPECT_TRUE(drawn.isValidUtf16());
}

INSTANTIATE_TEST_SUITE_P(
    Names, HostileNameTest,
    testing::Combine(
        testing::Values(
            NameCase{"SixteenLetters", u"mariangela bianchi"_s, u"mariangela bian"_s, u"Mariangela bian"_s},
            NameCase{"SixteenEmoji", repeated(kSmile, 16), repeated(kSmile, 15), repeated(kSmile, 15)},
            // Cut at fifteen UTF-16 units this would end in half an emoji.
            NameCase{"EmojiAcrossFifteenUnits", u"ab"_s + repeated(kSmile, 8), u"ab"_s + repeated(kSmile, 8),
                     u"Ab"_s + repeated(kSmile, 8)},
            NameCase{"EmojiAsSixteenthCharacter", u"Luca Bianchi ab"_s + kSmile, u"Luca Bianchi ab"_s,
                     u"Luca bianchi ab"_s},
            NameCase{"LetterWithACaseOutsideTheBasicPlane", repeated(kDeseretUp, 3), repeated(kDeseretUp, 3),
                     kDeseretUp + repeated(kDeseretLow, 2)},
            NameCase{"TabNewlineAndNul", u"mario\trossi\nx\0y z"_s, u"mario rossi x y"_s, u"Mario rossi x y"_s},
            NameCase{"OnlyBlanks", u"     "_s, u"     "_s, u"     "_s},
            NameCase{"RightToLeft", u"محمد علي"_s, u"محمد علي"_s, u"محمد علي"_s},
            // A direction override would turn "Data di stampa" round in the header.
            NameCase{"DirectionOverride", u"\u202Eanna"_s, u"anna"_s, u"Anna"_s},
            NameCase{"CombiningMarks", u"e\u0301LODIE"_s, u"e\u0301LODIE"_s, u"E\u0301lodie"_s},
            NameCase{"PileOfCombiningMarks", u"Z"_s + repeated(u"\u0336", 40), u"Z"_s + repeated(u"\u0336", 14),
                     u"Z"_s + repeated(u"\u0336", 14)},
            NameCase{"TenThousandLetters", repeated(u"x", 10000), repeated(u"x", 15), u"X"_s + repeated(u"x", 14)},
            NameCase{"TenThousandEmoji", repeated(kSmile, 10000), repeated(kSmile, 15), repeated(kSmile, 15)}),
        testing::Values(Entry::Pasted, Entry::TypedOneByOne)),
    [](const auto& info) {
        return std::get<0>(info.param).name + (std::get<1>(info.param) == Entry::Pasted ? "_Pasted" : "_TypedOneByOne");
    });

}  // namespace
}  // namespace certificate_tests

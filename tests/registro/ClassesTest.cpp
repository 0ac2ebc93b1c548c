#include "Backends.h"
#include "JournalData.h"

#include "journal/Classes.h"
#include "registro/Reader.h"

#include "support/Fakes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace registro_test;
using testing::ElementsAre;

namespace {

class CountingIds final : public journal::IdSource {
public:
    QString newId() override { return u"id-"_s + QString::number(++m_next); }

private:
    int m_next = 0;
};

QStringList namesOf(const QList<journal::ClassPupil>& pupils)
{
    QStringList names;
    for (const auto& pupil : pupils)
        names << pupil.name;
    return names;
}

class ClassesTest : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        backend = makeBackend(QString::fromLatin1(GetParam()));
        ASSERT_TRUE(backend->error().isEmpty()) << backend->error().toStdString();
        lists.emplace(backend->teacher(), ids, clock);
        writer.emplace(backend->pupils());
        reader.emplace(backend->teacher(), schoolZone());
    }
    void add(const JournalRun& run) { ASSERT_TRUE(writer->add(run)) << writer->error().toStdString(); }
    bool onServer() const { return QString::fromLatin1(GetParam()) == u"postgresql"_s; }

    std::unique_ptr<Backend> backend;
    CountingIds ids;
    testing_support::FakeClock clock;
    std::optional<journal::ClassLists> lists;
    std::optional<JournalWriter> writer;
    std::optional<registro::Reader> reader;
};

TEST_P(ClassesTest, TheTeacherKeepsClassesWhoseRunsFollowRenamesAndOutlastTheList)
{
    const auto a3 = lists->addClass(u" 3A "_s);
    const auto b3 = lists->addClass(u"3B"_s);
    ASSERT_TRUE(a3 && b3) << lists->lastError().toStdString();
    EXPECT_EQ(lists->addClass(u"3A"_s), std::nullopt);  // taken
    EXPECT_EQ(lists->addClass(u"  "_s), std::nullopt);
    EXPECT_THAT(lists->classes(), ElementsAre(journal::SchoolClass{*a3, u"3A"_s}, journal::SchoolClass{*b3, u"3B"_s}));

    EXPECT_EQ(lists->addPupils(*a3, journal::namesFromText(u"Zoe\r\n\n  Luca  \nAnna\nLuca\n"_s)), 3);
    EXPECT_EQ(lists->addPupils(*a3,
                               journal::namesFromCsv("\xEF\xBB\xBFNome;Cognome\r\n\"Zoe\";X\r\n\"Maria; Sole\";Y\r\n")),
              1);  // Zoe is there already
    EXPECT_EQ(lists->addPupils(*b3, {u"Anna"_s}), 1);  // a namesake in another class
    const QList<journal::ClassPupil> pupils = lists->pupils(*a3);
    EXPECT_THAT(namesOf(pupils), ElementsAre(u"Anna"_s, u"Luca"_s, u"Maria; Sole"_s, u"Zoe"_s));
    EXPECT_THAT(namesOf(journal::pupilsToOffer(backend->pupils(), u"3B"_s)), ElementsAre(u"Anna"_s));
    EXPECT_THAT(namesOf(journal::pupilsToOffer(backend->pupils(), {})),
                ElementsAre(u"Anna"_s, u"Anna"_s, u"Luca"_s, u"Maria; Sole"_s, u"Zoe"_s));
    EXPECT_TRUE(journal::pupilsToOffer(backend->pupils(), u"5C"_s).isEmpty());

    // Luca's runs carry his id; one of them got a typed name, which wins.
    const QString luca = pupils[1].id;
    add({u"r1"_s, u"ADDIZIONI"_s, at(2026, 12, 1, 9), rightOperations(20), {}, true, 1, 2, luca});
    add({u"r2"_s, u"ADDIZIONI"_s, at(2026, 12, 2, 9), rightOperations(20), {u"Giulia"_s}, true, 1, 2, luca});
    add({u"r3"_s, u"ADDIZIONI"_s, at(2026, 12, 3, 9), rightOperations(20)});
    ASSERT_TRUE(lists->renamePupil(luca, u"Luca B."_s));
    const auto idsFor = [this](const QString& pupil) {
        QStringList found;
        for (const auto& row : reader->runs({pupil}, 10))
            found << row.id + u':' + row.pupil;
        EXPECT_EQ(reader->countRuns({pupil}), found.size());
        return found;
    };
    EXPECT_THAT(idsFor(u"Luca B."_s), ElementsAre(u"r1:Luca B."_s));
    EXPECT_THAT(idsFor(u"Giulia"_s), ElementsAre(u"r2:Giulia"_s));
    EXPECT_THAT(reader->pupils(), ElementsAre(u"Giulia"_s, u"Luca B."_s));
    EXPECT_EQ(reader->pupilStatistics({u"Luca B."_s}, 5).chart.size(), 1);

    ASSERT_TRUE(lists->moveOut(luca));
    EXPECT_THAT(namesOf(lists->pupils(*a3)), ElementsAre(u"Anna"_s, u"Maria; Sole"_s, u"Zoe"_s));
    EXPECT_THAT(idsFor(u"Luca B."_s), ElementsAre(u"r1:Luca B."_s));

    ASSERT_TRUE(lists->renameClass(*a3, u"4A"_s));
    EXPECT_THAT(namesOf(journal::pupilsToOffer(backend->pupils(), u"4A"_s)),
                ElementsAre(u"Anna"_s, u"Maria; Sole"_s, u"Zoe"_s));

    if (onServer()) {
        // The pupils' machines read the lists and change nothing.
        journal::ClassLists asPupil(backend->pupils(), ids, clock);
        EXPECT_EQ(asPupil.addClass(u"5A"_s), std::nullopt);
        EXPECT_THAT(asPupil.lastError().toStdString(), testing::HasSubstr("permission denied"));
        EXPECT_FALSE(asPupil.renamePupil(pupils[0].id, u"Hacker"_s));
        EXPECT_EQ(asPupil.classes().size(), 2);
    }
}

TEST_P(ClassesTest, AReviewTakesThePupilsMostMissedFactsOfTheCopysKindsInTheirVariant)
{
    const QString anna = u"anna-id"_s;
    std::vector<Operation> first = rightOperations(6);
    first[0] = {3, 7, 8, u"54"_s, {}, 5, 4};
    first[1] = {3, 6, 9, {}, u"aiuto"_s, 5, 2};
    first[2] = {1, 9, 5, u"13"_s, {}, 5, 1};
    std::vector<Operation> second = rightOperations(3);
    second[0] = {3, 7, 8, u"55"_s, {}, 5, 4};
    second[1] = {4, 56, 7, u"9"_s, {}, 5, 10};
    add({u"a1"_s, u"MOLTIPLICAZIONI"_s, at(2026, 12, 1, 9), first, {}, true, 1, 2, anna});
    add({u"a2"_s, u"MOLTIPLICAZIONI"_s, at(2026, 12, 2, 9), second, {}, true, 1, 2, anna});
    // Someone else's mistakes are not hers.
    std::vector<Operation> other = rightOperations(1);
    other[0] = {3, 2, 2, u"5"_s};
    add({u"b1"_s, u"MOLTIPLICAZIONI"_s, at(2026, 12, 3, 9), other, {}, true, 1, 2, u"bruno-id"_s});

    using journal::MissedFact;
    EXPECT_THAT(journal::missedFacts(backend->teacher(), anna, {3, 4}, 20),
                ElementsAre(MissedFact{3, 7, 8, 4, 2}, MissedFact{4, 56, 7, 10, 1}, MissedFact{3, 6, 9, 2, 1}));
    EXPECT_THAT(journal::missedFacts(backend->teacher(), anna, {1}, 20), ElementsAre(MissedFact{1, 9, 5, 1, 1}));
    EXPECT_THAT(journal::missedFacts(backend->teacher(), anna, {3, 4}, 1), ElementsAre(MissedFact{3, 7, 8, 4, 2}));
    EXPECT_TRUE(journal::missedFacts(backend->teacher(), u"nessuno"_s, {1, 2, 3, 4}, 20).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Journals, ClassesTest, testing::Values("sqlite", "postgresql"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace

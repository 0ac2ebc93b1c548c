// "Chi sei?" between the start window and the real practice window.

#include "StartTestSupport.h"

#include "app/WindowNames.h"

#include "practice/PracticeWindow.h"
#include "start/WhoWindow.h"
#include "support/RecordingJournal.h"

#include <gmock/gmock.h>

using namespace start_test;

namespace {

class FakeClassroom final : public platform::Classroom {
public:
    std::vector<platform::ClassPupil> list;
    std::vector<platform::MissedOperation> annasMistakes;
    std::vector<std::vector<int>> kindsAsked;
    std::vector<platform::ClassPupil> pupils() override { return list; }
    std::vector<platform::MissedOperation> mistakes(const QString& pupilId, const std::vector<int>& kinds,
                                                    int limit) override
    {
        kindsAsked.push_back(kinds);
        if (pupilId != u"a") return {};
        return {annasMistakes.begin(), annasMistakes.begin() + std::min<std::ptrdiff_t>(limit, annasMistakes.size())};
    }
};

class ChiSeiTest : public testing_support::WindowFixture<model::StdRandomSource> {
protected:
    testing_support::ScratchWorkingDir scratch;
    testing_support::RecordingJournal journal;
    FakeClassroom classroom;

    ChiSeiTest()
    {
        services.journal = &journal;
        makeWindow = [this](const QString& name) -> std::unique_ptr<forms::Form> {
            if (name == windows::kPracticeWindow) return std::make_unique<practice::PracticeWindow>(services);
            return start::createStartForm(name, services);
        };
    }
    void SetUp() override { ASSERT_TRUE(scratch.entered()); }
    void TearDown() override { host.unloadAll(); }

    // Objective 1, level 1, "Avanti".
    void avanti()
    {
        forms::Form* start = host.show(windows::kStartWindow);
        start->press(u"Option1", 0);
        start->press(u"Option2", 0);
        start->press(u"Option3", 0);
    }
    forms::Form& who() { return *host.find(windows::kChiSeiWindow); }
    forms::Form& practice() { return *host.find(windows::kPracticeWindow); }
    // Every operation answered right; the posed ones, as kind a b variant.
    QStringList playRun()
    {
        QStringList posed;
        for (int place = 1; place <= 20; ++place) {
            posed << u"%1 %2 %3 %4"_s.arg(state.operationKind).arg(state.operandA).arg(state.operandB).arg(
                         state.variantCode);
            for (QChar digit : state.expectedAnswer.trimmed()) practice().press(u"Option1", digit.digitValue());
            practice().press(u"Option1", 11);
            if (place < 20) practice().press(u"Option1", 12);
        }
        return posed;
    }
};

TEST_F(ChiSeiTest, WithoutAClassListAvantiOpensThePracticeAsBefore)
{
    avanti();
    EXPECT_THAT(requested, testing::Not(testing::Contains(windows::kChiSeiWindow)));
    services.classroom = &classroom;  // a list with nobody in it
    host.unloadAll();
    requested.clear();
    avanti();
    EXPECT_THAT(requested, testing::Not(testing::Contains(windows::kChiSeiWindow)));
    ASSERT_NE(host.find(windows::kPracticeWindow), nullptr);
    ASSERT_EQ(journal.runs.size(), 2u);
    EXPECT_EQ(journal.runs[1].start.pupilId, QString());
    EXPECT_EQ(journal.runs[1].start.objectiveText, u"CALCOLO DEL RISULTATO"_s);
}

TEST_F(ChiSeiTest, APupilsNameGivesTheirRunsTheirIdAndMistakesAReviewOfThem)
{
    classroom.list = {{u"a"_s, u"Anna"_s}, {u"b"_s, u"Bruno"_s}};
    // 7 + 15 missed twice in variant 3, 9 + 9 once; 40 + 40 no longer fits level 1.
    classroom.annasMistakes = {{1, 7, 15, 3}, {1, 9, 9, 1}};
    services.classroom = &classroom;

    // Bruno has nothing to review: straight to the practice, his id on the run.
    avanti();
    ASSERT_NE(host.find(windows::kChiSeiWindow), nullptr);
    EXPECT_EQ(who().c(u"optAlunno", 1).caption(), u"Bruno"_s);
    EXPECT_EQ(who().c(u"optNonInLista").caption(), u"Non sono nella lista"_s);
    who().press(u"optAlunno", 1);
    EXPECT_EQ(host.find(windows::kChiSeiWindow), nullptr);
    EXPECT_EQ(classroom.kindsAsked, std::vector<std::vector<int>>{{1}});  // the ADDIZIONI copy's
    playRun();
    ASSERT_EQ(journal.runs.size(), 1u);
    EXPECT_EQ(journal.runs[0].start.pupilId, u"b"_s);
    EXPECT_EQ(journal.runs[0].operations.size(), 20u);
    EXPECT_EQ(state.pupilName, u"Bruno"_s);
    host.unload(windows::kPracticeWindow);

    // Anna chooses her review: her mistakes first, as posed, then their neighbours.
    avanti();
    who().press(u"optAlunno", 0);
    EXPECT_EQ(who().c(u"lblDomanda").caption(), u"Ciao, Anna! Che cosa vuoi fare?"_s);
    EXPECT_FALSE(who().c(u"optAlunno", 0).visible());
    EXPECT_EQ(who().c(u"optScelta", 1).caption(), u"Ripasso dei tuoi errori"_s);
    who().press(u"optScelta", 1);
    const QStringList posed = playRun();
    EXPECT_THAT(posed.mid(0, 7), testing::ElementsAre(u"1 7 15 3"_s, u"1 9 9 1"_s, u"1 7 16 3"_s, u"1 8 15 3"_s,
                                                      u"1 7 14 3"_s, u"1 6 15 3"_s, u"1 9 10 1"_s));
    EXPECT_EQ(posed.size(), 20);
    ASSERT_EQ(journal.runs.size(), 2u);
    const auto& review = journal.runs[1];
    EXPECT_EQ(review.start.pupilId, u"a"_s);
    EXPECT_EQ(review.start.objective, 0);
    EXPECT_EQ(review.start.objectiveText, platform::kReviewObjectiveText);
    ASSERT_EQ(review.operations.size(), 20u);
    EXPECT_EQ(review.operations[0].operand1, 7);
    EXPECT_EQ(review.operations[0].variant, 3);
    ASSERT_EQ(review.ends.size(), 1u);
    EXPECT_TRUE(review.ends[0].finished);
    host.unload(windows::kPracticeWindow);

    // Someone not in the list: a drawn run with no id and no name left behind.
    avanti();
    who().press(u"optNonInLista");
    ASSERT_EQ(journal.runs.size(), 3u);
    EXPECT_EQ(journal.runs[2].start.pupilId, QString());
    EXPECT_EQ(journal.runs[2].start.objective, 1);
    EXPECT_EQ(state.pupilName, QString());
    EXPECT_TRUE(state.plannedOperations.empty());
}

TEST_F(ChiSeiTest, TheGridOfNamesFitsTheScreen)
{
    // A class on a small screen, every class of a school on a large one.
    for (const auto& [count, w, h] : {std::tuple{1, 15 * 1024, 15 * 768}, {30, 15 * 1024, 15 * 768},
                                      {60, 15 * 1024, 15 * 768}, {150, 15 * 1920, 15 * 1080}}) {
        {
            const auto grid = start::WhoWindow::gridFor(count, w, h);
            EXPECT_LE(grid.width, w) << count;
            EXPECT_LE(grid.height, h) << count;
            EXPECT_GE(grid.columns * grid.rows, count);
        }
    }
}

}  // namespace

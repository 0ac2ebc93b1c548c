// The practice run: two exercises of ten operations, the counters and clocks
// of the statistics panel, and the window's own events.

#include "practice/PracticeWindow.h"

#include "app/WindowNames.h"

#include "model/Generators.h"
#include "model/Review.h"
#include "model/Tables.h"
#include "practice/Record.h"
#include "model/Spoken.h"

#include <cmath>

namespace practice {

using namespace Qt::Literals::StringLiterals;
using model::int16;

namespace {

constexpr int kSecondsPerDay = 86400;
constexpr std::array kStackedPanels = {u"fraAiuto", u"fraTastierino", u"fraAvviso", u"fraIntervento",
                                       u"fraTastierinoRidotto"};

// What poses each operation: its generator, then its presenter.
struct OperationSteps {
    void (*generate)(model::AppState&, model::RandomSource&, platform::Clock&);
    model::Presentation (*present)(model::AppState&, model::RandomSource&);
};

OperationSteps stepsFor(model::Operation operation)
{
    switch (operation) {
        case model::Operation::Addition: return {model::generateAdditionOperands, model::VisualizzaAdd};
        case model::Operation::Subtraction: return {model::generateSubtractionOperands, model::VisualizzaSot};
        case model::Operation::Multiplication: return {model::generateMultiplicationOperands, model::VisualizzaMol};
        case model::Operation::Division: return {model::generateDivisionOperands, model::VisualizzaDiv};
    }
    return {nullptr, nullptr};
}

}  // namespace

PracticeWindow::PracticeWindow(Services& services)
    : Form(windows::kPracticeWindow, kDesignWidth, kDesignHeight),
      m_services(services),
      m_state(services.state),
      m_journal(m_services)
{
    buildDesign();
    connectHandlers();
    setBackgroundClickable(true);  // it shows and hides the statistics
}

// --- window events ---------------------------------------------------------

void PracticeWindow::Form_Load()
{
    m_layout = layout::captureLayout(*this);
    setCaption(m_state.exeBaseName);

    // The objective and level lines as the start window shows them; without
    // a start window (a window opened on its own) the lines stay short.
    QString objectiveLine;
    QString levelLine;
    if (const forms::Form* start = m_services.host.find(windows::kStartWindow)) {
        if (const forms::Control* line = start->find(u"Label1")) objectiveLine = line->caption();
        if (const forms::Control* line = start->find(u"Label3")) levelLine = line->caption();
    }
    c(u"Label1", 1).setCaption(u"   Operazione:    " % u"    "_s % m_state.exeBaseName);
    c(u"Label1", 0).setCaption(u"   " % objectiveLine);
    c(u"Label1", 2).setCaption(u"   " % levelLine);

    m_state.operationIndex = 0;
}

void PracticeWindow::Form_Resize()
{
    // Every resize, minimising and restoring included, starts a new run.
    layout::applyLayout(*this, m_layout);
    stackPanels();
    restartPractice();
}

void PracticeWindow::Form_Activate()
{
    c(u"Option1", 0).setSelected(false);
}

void PracticeWindow::Form_Click()
{
    forms::Control& stats = c(u"fraElaborazione");
    stats.setVisible(!stats.visible());
}

void PracticeWindow::Form_Unload()
{
    // The record and the counters outlive the window: the list of exercises
    // done and the certificate read them later.
    m_journal.runLeft();
}

void PracticeWindow::fraElaborazione_Click()
{
    c(u"fraElaborazione").setVisible(false);
}

void PracticeWindow::Label7_Click()
{
    if (soundMode != u"siSuono") {
        soundMode = u"siSuono"_s;
        c(u"Label7").setCaption(u"si audio"_s);
    } else {
        soundMode = u"noSuono"_s;
        c(u"Label7").setCaption(u"no audio"_s);
    }
}

void PracticeWindow::mnuVisualizza_Click()
{
    m_services.host.show(windows::kExercisesWindow, forms::Modality::Modeless);
}

void PracticeWindow::Option4_MouseDown(int index)
{
    if (index == 0)
        m_services.host.show(windows::kExercisesWindow, forms::Modality::Modeless);
    else if (index == 1)
        restartPractice();
}

void PracticeWindow::Option4_MouseUp(int index)
{
    if (forms::Control* button = find(u"Option4", index)) button->setSelected(false);
}

// --- the run ---------------------------------------------------------------

void PracticeWindow::restartPractice()
{
    m_journal.runLeft();  // a run under way is left halfway
    soundMode = u"siSuono"_s;  // Label7 keeps its caption
    for (int slot = 1; slot <= kOperationsPerRun; ++slot) m_state.doneOperations[std::size_t(slot)].clear();
    m_state.rightAnswers = 0;
    m_state.exerciseNumber = 0;
    m_state.operationIndex = 0;
    m_state.wrongAnswers = 0;
    for (const char16_t* name : {u"LblTempoTotale", u"LblOperazione", u"lblRisEsatte", u"lblRisErrate"})
        c(name).setCaption(QString());
    // totalSeconds counts on across runs.
    for (int exercise : {1, 2}) {
        m_state.exerciseSeconds[std::size_t(exercise)] = 0;
        m_state.exerciseSecondsText[std::size_t(exercise)].clear();
    }
    startExercise();
    nextOperation();
    m_journal.runStarted();
}

void PracticeWindow::startExercise()
{
    ++m_state.exerciseNumber;
    c(u"LblTempoTotale").setCaption(QString());
}

void PracticeWindow::nextOperation()
{
    if (m_state.operationIndex >= kOperationsPerRun) {
        endRun();
        return;
    }
    c(u"lblCorrezione").setCaption(QString());
    c(u"lblCorrezioneS").setCaption(QString());
    c(u"lblRisultato1").setCaption(u"?"_s);
    c(u"lblSegno2").setCaption(u"?"_s);
    c(u"LblEsito").setCaption(QString());

    m_state.answerSeconds = 0;
    c(u"LblTempoParziale").setCaption(QString());
    m_state.typedAnswer.clear();
    m_state.expectedAnswer.clear();

    ++m_state.operationIndex;
    c(u"LblOperazione").setCaption(model::decimal(m_state.operationIndex));
    if (m_state.operationIndex == kOperationsPerExercise + 1) startExercise();

    hideCorrectionMarks();
    m_state.helpRefusals = 0;
    presentOperation();

    describeOperation();

    m_services.random.randomize(m_services.clock.secondsSinceMidnight());
    m_state.answerStartTime = m_services.clock.secondsSinceMidnight();
}

void PracticeWindow::presentOperation()
{
    const model::KindInfo* kind = model::kindInfo(m_state.operationKind);
    if (!kind) return;  // an unknown kind poses nothing
    const auto slot = std::size_t(m_state.operationIndex - 1);
    if (m_state.operationIndex >= 1 && slot < m_state.plannedOperations.size()) {
        presentPlanned(m_state.plannedOperations[slot]);
        return;
    }
    const auto choices = kind->choices();
    const int pick = choices.size() > 1 ? model::drawInt(m_services.random, int(choices.size()), 1) : 1;
    const model::Operation operation = choices[std::size_t(pick - 1)];
    m_journal.operationPosed(operation);
    const OperationSteps steps = stepsFor(operation);
    steps.generate(m_state, m_services.random, m_services.clock);
    showPresentation(steps.present(m_state, m_services.random));
}

void PracticeWindow::presentPlanned(const model::PlannedOperation& planned)
{
    const auto operation = model::Operation(planned.kind);
    const OperationSteps steps = stepsFor(operation);
    if (!steps.present) return;
    m_journal.operationPosed(operation);
    model::setOperands(m_state, operation, planned.operandA, planned.operandB);
    // Posed in the variant it was missed in; the objective's stays for the next.
    const auto low = std::exchange(m_state.variantLow, planned.variant);
    const auto high = std::exchange(m_state.variantHigh, planned.variant);
    const model::Presentation presentation = steps.present(m_state, m_services.random);
    m_state.variantLow = low;
    m_state.variantHigh = high;
    showPresentation(presentation);
}

void PracticeWindow::showPresentation(const model::Presentation& p)
{
    switch (p.panel) {
        case model::AnswerPanel::None: return;
        case model::AnswerPanel::Number:
            // The panel in front is the state; the ones behind it are disabled,
            // as everywhere else in the run.
            disablePanels();
            c(u"fraTastierino").setEnabled(true);
            bringToFront(c(u"fraNumero"));
            bringToFront(c(u"fraTastierino"));
            openNumberEntry();
            switch (p.placement) {
                case model::Placement::UnknownLeft: placeUnknownLeft(); break;
                case model::Placement::UnknownMiddle: placeUnknownMiddle(); break;
                case model::Placement::UnknownRight: placeUnknownRight(); break;
            }
            c(u"LblNumero1").setCaption(p.numero1);
            c(u"LblNumero2").setCaption(p.numero2);
            c(u"LblSegno").setCaption(p.segno);
            c(u"LblUguale").setCaption(p.uguale);
            break;
        case model::AnswerPanel::Sign: {
            disablePanels();
            c(u"fraSegno").setEnabled(true);
            bringToFront(c(u"fraSegno"));
            bringToFront(c(u"fraTastierinoRidotto"));
            openSignEntry();
            c(u"lblNumero4").setCaption(p.numero4);
            c(u"lblNumero6").setCaption(p.numero6);
            c(u"LblNumero8").setCaption(p.numero8);
            const int operationPlace = p.operationOnLeft ? 1 : 3;
            const int answerPlace = p.operationOnLeft ? 3 : 1;
            c(u"lblUguale2").setLeft(c(u"lblRif2", operationPlace).left());
            c(u"lblSegno2").setLeft(c(u"lblRif2", answerPlace).left());
            c(u"lblUguale2").setCaption(p.uguale2);
            break;
        }
    }
    alignCorrectionLabels();
    placeCorrectionMarks();
    describeOperation();
}

void PracticeWindow::describeOperation()
{
    // Read in the order the places stand on screen, which the variant decides.
    // Once the right answer is shown it stands in the answer's place, and the
    // crossed-out answer is said as wrong.
    const auto row = [this](std::initializer_list<const char16_t*> names, const forms::Control& answer,
                            const QString& right) {
        std::vector<const forms::Control*> places;
        for (const char16_t* name : names) places.push_back(&c(name));
        std::stable_sort(places.begin(), places.end(),
                         [](const forms::Control* a, const forms::Control* b) { return a->left() < b->left(); });
        QStringList texts;
        for (const forms::Control* place : places)
            texts << (place == &answer && !right.isEmpty() ? right : place->caption());
        return model::spokenOperation(texts);
    };
    const auto given = [](const forms::Control& answer) {
        const QString text = answer.caption().trimmed();
        return text == u"?" ? QString() : model::spokenSymbol(text);
    };

    forms::Control& answer = c(u"lblRisultato1");
    const QString right = c(u"lblCorrezione").caption().trimmed();
    QString number = row({u"LblNumero1", u"LblSegno", u"LblNumero2", u"LblUguale", u"lblRisultato1"}, answer, right);
    if (const QString wrong = given(answer); !right.isEmpty() && !wrong.isEmpty())
        number += u": la tua risposta " % wrong % u" era sbagliata";
    answer.setAccessibleDescription(right.isEmpty() ? QString() : u"sbagliata"_s);

    forms::Control& signAnswer = c(u"lblSegno2");
    const QString rightSign = c(u"lblCorrezioneS").caption().trimmed();
    QString sign = row({u"lblNumero4", u"lblUguale2", u"lblNumero6", u"lblSegno2", u"LblNumero8"}, signAnswer, rightSign);
    if (const QString wrong = given(signAnswer); !rightSign.isEmpty() && !wrong.isEmpty())
        sign += u": il tuo segno, " % wrong % u", era sbagliato";
    signAnswer.setAccessibleDescription(rightSign.isEmpty() ? QString() : u"sbagliato"_s);

    c(u"fraNumero").setAccessibleName(number);
    c(u"fraSegno").setAccessibleName(sign);
}

void PracticeWindow::alignCorrectionLabels()
{
    // The offset of the cross is scaled with the window like everything else,
    // so that the cross stays over the answer at any size.
    const int offset =
        designWidth() == 0 ? kCrossOffset : int(std::lround(double(kCrossOffset) * innerWidth() / designWidth()));
    const int answerLeft = c(u"lblRisultato1").left();
    const int signLeft = c(u"lblSegno2").left();
    c(u"lblCorrezione").setLeft(answerLeft);
    c(u"lblCorrezioneS").setLeft(signLeft);
    c(u"lblLinee").setLeft(answerLeft + offset);
    c(u"lblLineeS").setLeft(signLeft);
}

void PracticeWindow::placeUnknownLeft()
{
    c(u"lblRisultato1").setLeft(c(u"lblRifer", 0).left());
    c(u"LblNumero1").setLeft(c(u"lblRifer", 1).left());
    c(u"LblNumero2").setLeft(c(u"lblRifer", 2).left());
}

void PracticeWindow::placeUnknownMiddle()
{
    c(u"LblNumero1").setLeft(c(u"lblRifer", 0).left());
    c(u"lblRisultato1").setLeft(c(u"lblRifer", 1).left());
    c(u"LblNumero2").setLeft(c(u"lblRifer", 2).left());
}

void PracticeWindow::placeUnknownRight()
{
    c(u"LblNumero1").setLeft(c(u"lblRifer", 0).left());
    c(u"LblNumero2").setLeft(c(u"lblRifer", 1).left());
    c(u"lblRisultato1").setLeft(c(u"lblRifer", 2).left());
}

void PracticeWindow::checkProgress()
{
    if (m_state.operationIndex >= kOperationsPerRun) endRun();
}

void PracticeWindow::endRun()
{
    disablePanels();
    forms::Control& avviso = c(u"fraAvviso");
    avviso.setEnabled(true);
    bringToFront(avviso);
    // No operation is waiting: the moment to tell what the journal met.
    tellJournalProblems(m_services);
}

void PracticeWindow::recordTimes()
{
    m_state.answerEndTime = m_services.clock.secondsSinceMidnight();
    double elapsed = m_state.answerEndTime - m_state.answerStartTime;
    if (elapsed < 0) elapsed += kSecondsPerDay;  // the clock went back to 0 at midnight
    m_state.answerSeconds = std::int32_t(std::floor(elapsed));
    m_state.answerSecondsText = model::decimal(m_state.answerSeconds);

    const int exercise = m_state.exerciseNumber;
    if (exercise >= 0 && exercise < int(m_state.exerciseSeconds.size())) {
        auto& seconds = m_state.exerciseSeconds[std::size_t(exercise)];
        seconds += m_state.answerSeconds;
        m_state.exerciseSecondsText[std::size_t(exercise)] = model::decimal(seconds);
    }
    m_state.totalSeconds += m_state.answerSeconds;
    m_state.totalSecondsText = model::decimal(m_state.totalSeconds);

    // The labels have room for two and three digits; the counts go on.
    c(u"LblTempoParziale").setCaption(m_state.answerSeconds >= 99 ? u"99"_s : m_state.answerSecondsText);
    c(u"LblTempoTotale").setCaption(m_state.totalSeconds >= 999 ? u"999"_s : m_state.totalSecondsText);
    m_state.answerSecondsPad = m_state.answerSeconds < 10 ? u" "_s : QString();
    if (m_state.operationIndex > kOperationsPerExercise) c(u"mnuVisualizza").setEnabled(true);
    prepareRecordDots(m_state);
}

void PracticeWindow::stackPanels()
{
    const forms::Control& anchor = c(u"lblRiferimento");
    for (const char16_t* name : kStackedPanels) {
        forms::Control& panel = c(name);
        panel.setLeft(anchor.left());
        panel.setTop(anchor.top());
    }
}

void PracticeWindow::disablePanels()
{
    for (const char16_t* name : kStackedPanels) c(name).setEnabled(false);
}

void PracticeWindow::hideCorrectionMarks()
{
    for (const char16_t* name : {u"Line1", u"Line2", u"Line3", u"Line4"}) c(name).setVisible(false);
}

}  // namespace practice

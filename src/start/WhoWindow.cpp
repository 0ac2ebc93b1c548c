// FrmChiSei's design and behaviour. The grid of names is laid out for the
// number of pupils and the screen:
//
//   lblDomanda  "Chi sei?"
//   [optAlunno 0] [optAlunno 1] [optAlunno 2] [optAlunno 3]
//   [optAlunno 4] ...
//                                      [optNonInLista]
//
// and, after a name with mistakes to review, in their place:
//
//   lblDomanda  "Ciao, Anna! Che cosa vuoi fare?"
//   [optScelta 0 Esercizio scelto]  [optScelta 1 Ripasso dei tuoi errori]

#include "start/WhoWindow.h"

#include "model/Review.h"
#include "model/Tables.h"
#include "start/Names.h"
#include "start/StartColors.h"

#include <algorithm>

namespace start {

using namespace Qt::Literals::StringLiterals;
using forms::Align;
using forms::Event;
using forms::Kind;

namespace {

const QString kFont = u"Arial"_s;
constexpr double kQuestionPt = 24;
constexpr double kNamePt = 14.25;
constexpr int kMinButtonHeight = 420;
constexpr int kMinButtonWidth = 1800;
constexpr int kMaxColumns = 4;
constexpr int kChoiceWidth = 5400, kChoiceHeight = 1200;
constexpr int kOtherWidth = 3600;

}  // namespace

WhoWindow::Grid WhoWindow::gridFor(int count, int screenWidth, int screenHeight)
{
    // Room for the rows: the screen less the question, the last button and
    // the window's frame.
    const int rowsRoom = screenHeight - kHeaderHeight - 2 * kButtonHeight - 3 * kMargin;
    const auto rowsFor = [count](int columns) { return (count + columns - 1) / columns; };
    Grid grid;
    // Narrower buttons only when the names would not fit otherwise.
    for (grid.buttonWidth = kButtonWidth;; grid.buttonWidth -= 300) {
        const int pitch = grid.buttonWidth + kGap;
        const int widest = std::max(1, (screenWidth - 2 * kMargin + kGap) / pitch);
        grid.columns = std::clamp(count, 1, std::min(kMaxColumns, widest));
        while (grid.columns < widest && rowsFor(grid.columns) * (kButtonHeight + kGap) > rowsRoom) ++grid.columns;
        grid.rows = rowsFor(grid.columns);
        grid.buttonHeight = kButtonHeight;
        if (grid.rows > 0 && grid.rows * (kButtonHeight + kGap) > rowsRoom)
            grid.buttonHeight = std::max(kMinButtonHeight, rowsRoom / grid.rows - kGap);
        if (grid.rows * (grid.buttonHeight + kGap) <= rowsRoom || grid.buttonWidth <= kMinButtonWidth) break;
    }
    const int gridWidth = grid.columns * (grid.buttonWidth + kGap) - kGap;
    grid.width = std::max(gridWidth, 2 * kChoiceWidth + kGap) + 2 * kMargin;
    const int otherTop = kHeaderHeight + grid.rows * (grid.buttonHeight + kGap) + kMargin / 2;
    grid.height = std::max(otherTop + kButtonHeight + kMargin, kHeaderHeight + kChoiceHeight + 2 * kMargin);
    return grid;
}

WhoWindow::WhoWindow(Services& services)
    : WhoWindow(services, services.classroom ? services.classroom->pupils() : std::vector<platform::ClassPupil>{})
{
}

WhoWindow::WhoWindow(Services& services, const std::vector<platform::ClassPupil>& pupils)
    : WhoWindow(services, pupils,
                gridFor(int(pupils.size()), services.host.screenWidth(), services.host.screenHeight()))
{
}

WhoWindow::WhoWindow(Services& services, std::vector<platform::ClassPupil> pupils, const Grid& grid)
    : Form(kChiSeiWindow, grid.width, grid.height),
      m_services(services),
      m_state(services.state),
      m_pupils(std::move(pupils)),
      m_grid(grid)
{
    buildDesign();
}

void WhoWindow::buildDesign()
{
    const int count = int(m_pupils.size());
    const int width = m_grid.width;
    const int gridWidth = m_grid.columns * (m_grid.buttonWidth + kGap) - kGap;
    const int otherTop = kHeaderHeight + m_grid.rows * (m_grid.buttonHeight + kGap) + kMargin / 2;
    setFixedSize(true);
    setCaption(u"Chi sei?"_s);
    setBackColor(kBackground);

    add(Kind::Label, u"lblDomanda"_s)
        .caption(u"Chi sei?"_s)
        .geometry(kMargin, 240, width - 2 * kMargin, 720)
        .font(kFont, kQuestionPt, true)
        .fore(kHeading)
        .transparent()
        .align(Align::Center)
        .announced();
    const int left = (width - gridWidth) / 2;
    for (int i = 0; i < count; ++i) {
        const int row = i / m_grid.columns, column = i % m_grid.columns;
        add(Kind::OptionButton, u"optAlunno"_s, i)
            .caption(m_pupils[std::size_t(i)].name)
            .geometry(left + column * (m_grid.buttonWidth + kGap), kHeaderHeight + row * (m_grid.buttonHeight + kGap),
                      m_grid.buttonWidth, m_grid.buttonHeight)
            .font(kFont, kNamePt, true)
            .back(kButton)
            .fore(kButtonText);
        on(u"optAlunno"_s, Event::MouseDown, [this](int index) { optAlunno_MouseDown(index); });
    }
    add(Kind::OptionButton, u"optNonInLista"_s)
        .caption(u"Non sono nella lista"_s)
        .geometry(width - kMargin - kOtherWidth, otherTop, kOtherWidth, kButtonHeight)
        .font(kFont, kNamePt, true)
        .back(kButton)
        .fore(kButtonText);
    const QStringList choices{u"Esercizio scelto"_s, u"Ripasso dei tuoi errori"_s};
    for (int i = 0; i < 2; ++i)
        add(Kind::OptionButton, u"optScelta"_s, i)
            .caption(choices[i])
            .geometry((width - 2 * kChoiceWidth - kGap) / 2 + i * (kChoiceWidth + kGap), kHeaderHeight, kChoiceWidth,
                      kChoiceHeight)
            .font(kFont, kQuestionPt * 0.75, true)
            .back(kButton)
            .fore(kButtonText)
            .visible(false);

    on(u"optNonInLista"_s, Event::MouseDown, [this](int) { optNonInLista_MouseDown(); });
    on(u"optScelta"_s, Event::MouseDown, [this](int index) { optScelta_MouseDown(index); });
    for (const QString& name : {u"optAlunno"_s, u"optNonInLista"_s, u"optScelta"_s}) {
        on(name, Event::MouseUp, [this, name](int index) { release(name, index); });
        on(name, Event::GotFocus, [this, name](int index) { focusColour(name, index, true); });
        on(name, Event::LostFocus, [this, name](int index) { focusColour(name, index, false); });
    }
}

// The buttons act on the press; on the release they must not stay chosen.
void WhoWindow::release(const QString& name, int index)
{
    if (forms::Control* button = find(name, index)) button->setSelected(false);
}

void WhoWindow::focusColour(const QString& name, int index, bool focused)
{
    if (forms::Control* button = find(name, index)) {
        button->setSelected(false);
        button->setBackColor(focused ? kFocusedButton : kButton);
    }
}

void WhoWindow::optAlunno_MouseDown(int index)
{
    if (index < 0 || index >= int(m_pupils.size())) return;
    const platform::ClassPupil& pupil = m_pupils[std::size_t(index)];
    m_state.pupilId = pupil.id;
    m_state.pupilName = pupil.name;
    m_state.plannedOperations.clear();
    std::vector<int> kinds;
    if (const model::KindInfo* kind = model::kindInfo(m_state.operationKind))
        for (model::Operation operation : kind->choices()) kinds.push_back(int(operation));
    m_review = model::planReview(m_services.classroom->mistakes(pupil.id, kinds, kReviewLength), m_state,
                                 kReviewLength);
    if (m_review.empty()) {
        goOn();
        return;
    }
    c(u"lblDomanda").setCaption(u"Ciao, "_s % pupil.name % u"! Che cosa vuoi fare?"_s);
    for (int i = 0; i < int(m_pupils.size()); ++i) c(u"optAlunno", i).setVisible(false);
    c(u"optNonInLista").setVisible(false);
    for (int i = 0; i < 2; ++i) c(u"optScelta", i).setVisible(true);
    setFocus(c(u"optScelta", 0));
}

void WhoWindow::optNonInLista_MouseDown()
{
    // The name another pupil chose before does not stay for this one.
    if (!m_state.pupilId.isEmpty()) m_state.pupilName.clear();
    m_state.pupilId.clear();
    m_state.plannedOperations.clear();
    goOn();
}

void WhoWindow::optScelta_MouseDown(int index)
{
    if (index == 1) m_state.plannedOperations = m_review;
    goOn();
}

void WhoWindow::goOn()
{
    m_services.host.unload(name());
    m_services.host.show(kPracticeWindow, forms::Modality::Modeless);
}

}  // namespace start

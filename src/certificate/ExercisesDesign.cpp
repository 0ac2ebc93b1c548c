// The design table of FrmStampaEsercizio.

#include "certificate/ExercisesWindow.h"
#include "certificate/Names.h"

namespace certificate {

using namespace Qt::Literals::StringLiterals;
using forms::Align;
using forms::Kind;

namespace {

constexpr int kWidth = 18120;
constexpr int kHeight = 5880;

}  // namespace

//   E S E R C I Z I   E S E G U I T I                                 (Label5)
//   LblOp 1   ........................   LblOp 11  ......................  LblOp 21
//   ...                                  ...                               ...
//   LblOp 10                             LblOp 20                          LblOp 30
//   Label1 (time of exercise 1)          Label2 (time of exercise 2)
//   +-- Frame1 ---------------------------------------------------------------+
//   |  [ E S C I ]   [ SCRIVI IL NOME ]   [ STAMPA ]   [ ATTESTATO ]           |
//   +-------------------------------------------------------------------------+
//
//   fraNome (hidden; shown over the list by "SCRIVI IL NOME"):
//   +----------------------------------------+
//   |     IMMETTI   IL  TUO  NOME            |
//   |          [ txtNome        ]            |
//   |  Il nome viene troncato ...            |
//   |  Presta attenzione all'ortografia      |
//   |     [ AVANTI ]      [ E S C I ]        |
//   +----------------------------------------+
//
// A record line is up to about 56 characters of Courier 12 pt bold, some 145
// twips each: the two columns that are filled are 8520 twips wide. The third
// column only keeps the order of the lines and is never filled.
ExercisesWindow::ExercisesWindow(Services& services)
    : Form(kExercisesWindow, kWidth, kHeight), m_services(services), m_state(services.state)
{
    buildDesign();
    connectHandlers();
}

void ExercisesWindow::buildDesign()
{
    constexpr forms::Rgb kBack = 0xFFFFC0;
    constexpr forms::Rgb kTitle = 0xC00000;
    constexpr forms::Rgb kText = 0x000080;
    constexpr forms::Rgb kButtonBack = 0xFFE0C0;
    constexpr forms::Rgb kPanelBack = 0xC0FFFF;
    const QString arial = u"Arial"_s;
    const QString courier = u"Courier"_s;

    constexpr int kMargin = 120;
    constexpr int kLinesTop = 720, kLineHeight = 360;
    constexpr int kColumnLeft[] = {kMargin, 8760, 17400};
    constexpr int kColumnWidth[] = {8520, 8520, 600};
    constexpr int kTimesTop = kLinesTop + kLinesPerColumn * kLineHeight + 120;

    setCaption(u"STAMPA DEGLI ESERCIZI ESEGUITI"_s);
    setBackColor(kBack);

    add(Kind::Label, u"Label5"_s)
        .caption(u"E S E R C I Z I   E S E G U I T I "_s)
        .accessibleName(u"Esercizi eseguiti"_s)  // spaced out for the eye, not for a reader
        .geometry(kMargin, 120, kWidth - 2 * kMargin, 480)
        .font(arial, 14, true)
        .fore(kTitle)
        .transparent()
        .align(Align::Center);

    // Lines 1..10, 11..20 and 21..30 top to bottom in their columns. Load
    // gives the lines it fills the 12 pt they are read in.
    for (int i = 1; i <= kShownLines; ++i) {
        const int column = (i - 1) / kLinesPerColumn;
        const int row = (i - 1) % kLinesPerColumn;
        add(Kind::Label, u"LblOp"_s, i)
            .geometry(kColumnLeft[column], kLinesTop + row * kLineHeight, kColumnWidth[column], kLineHeight)
            .font(courier, 9.75, true)
            .fore(kText)
            .transparent()
            .wordWrap(false);
    }

    add(Kind::Label, u"Label1"_s)
        .geometry(kColumnLeft[0], kTimesTop, kColumnWidth[0], kLineHeight)
        .font(arial, 12, true)
        .fore(kTitle)
        .transparent()
        .wordWrap(false);
    add(Kind::Label, u"Label2"_s)
        .geometry(kColumnLeft[1], kTimesTop, kColumnWidth[1], kLineHeight)
        .font(arial, 12, true)
        .fore(kTitle)
        .transparent()
        .wordWrap(false);

    // The four push buttons, evenly spaced in one row.
    constexpr int kFrameTop = kTimesTop + kLineHeight + 120;
    constexpr int kFrameWidth = kWidth - 2 * kMargin, kFrameHeight = 840;
    constexpr int kButtonWidth = 3600, kButtonHeight = 600;
    constexpr int kButtonGap = (kFrameWidth - 4 * kButtonWidth) / 5;
    static_assert(kFrameTop + kFrameHeight + kMargin == kHeight);
    forms::Control& buttons =
        add(Kind::Frame, u"Frame1"_s).geometry(kMargin, kFrameTop, kFrameWidth, kFrameHeight).back(kBack);
    const QString captions[] = {u"E S C I"_s, u"SCRIVI IL NOME"_s, u"STAMPA"_s, u"ATTESTATO"_s};
    for (int i = 0; i < 4; ++i)
        add(Kind::OptionButton, u"Option1"_s, i, &buttons)
            .caption(captions[i])
            .geometry(kButtonGap + i * (kButtonWidth + kButtonGap), 120, kButtonWidth, kButtonHeight)
            .font(courier, 12, true)
            .back(kButtonBack)
            .fore(kText)
            .align(Align::Center)
            .accessibleName(i == 0 ? u"Esci"_s : QString());
    bindKey(forms::kKeyEscape, c(u"Option1"_s, 0));  // keyboard mode

    // The name panel, created last so that it covers the list when shown.
    constexpr int kPanelWidth = 7200, kPanelHeight = 3120;
    constexpr int kPanelInner = kPanelWidth - 480;
    forms::Control& panel =
        add(Kind::Frame, u"fraNome"_s)
            .geometry((kWidth - kPanelWidth) / 2, (kHeight - kPanelHeight) / 2, kPanelWidth, kPanelHeight)
            .back(kPanelBack)
            .border()
            .visible(false);
    forms::Control& prompt = add(Kind::Label, u"Label6"_s, &panel)
        .caption(u"   IMMETTI   IL  TUO  NOME"_s)
        .geometry(240, 180, kPanelInner, 360)
        .font(arial, 12, true)
        .fore(kTitle)
        .transparent();
    add(Kind::TextBox, u"txtNome"_s, &panel)
        .geometry((kPanelWidth - 4200) / 2, 660, 4200, 480)
        .font(arial, 14, true)
        .fore(kText)
        .back(0xFFFFFF)
        .border()
        .maxLength(15)
        .labelledBy(prompt);
    add(Kind::Label, u"Label4"_s, &panel)
        .caption(u"Il nome viene troncato automaticamente alla 15a lettera"_s)
        .geometry(240, 1260, kPanelInner, 300)
        .font(arial, 9.75)
        .fore(kText)
        .transparent()
        .align(Align::Center);
    add(Kind::Label, u"Label9"_s, &panel)
        .caption(u"Presta attenzione all'ortografia"_s)
        .geometry(240, 1620, kPanelInner, 300)
        .font(arial, 9.75)
        .fore(kText)
        .transparent()
        .align(Align::Center);
    add(Kind::CommandButton, u"cmdAvanti"_s, &panel)
        .caption(u"AVANTI"_s)
        .geometry(1200, 2280, 2160, 600)
        .font(arial, 12, true);
    add(Kind::CommandButton, u"Command8"_s, &panel)
        .caption(u"E S C I"_s)
        .accessibleName(u"Esci"_s)
        .geometry(kPanelWidth - 1200 - 2160, 2280, 2160, 600)
        .font(arial, 12, true);
}

}  // namespace certificate

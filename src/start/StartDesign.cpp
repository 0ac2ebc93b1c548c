// Design table of frmInizio: every control, its caption, colours, font and
// geometry (twips, relative to its container). Creation order is the stacking
// order, back to front, within each container; the curtain comes last so that
// it covers everything.
//
//   +------------------------------------------------------------------+
//   | fraTitolo:  (Shape2 0/1)   lblNomeOperazione                     |
//   |                            Label6                                |
//   | +-- Frame1 OBIETTIVI ----------------+ +-- Frame2 LIVELLI -----+ |
//   | | Option1(0|3)                     | | | Option2(0)          | | |
//   | | Option1(1|4)                     | | | Option2(1)          | | |
//   | | Option1(2|5)                     | | | Option2(2)          | | |
//   | | lblCambiaOb(0)                     | | Option2(3)          | | |
//   | +------------------------------------+ +-----------------------+ |
//   | Label7 Le tue scelte            +-Frame3--------+                |
//   |                                 | Option3(0)    |  Option3(1)    |
//   | Label1 (objective summary)      +---------------+                |
//   | Label3 (level summary)                                           |
//   +------------------------------------------------------------------+
//   Picture2 | Picture1: the curtain, docked left and right.

#include "model/Tables.h"
#include "start/StartColors.h"
#include "start/StartWindow.h"

namespace start {

using namespace Qt::Literals::StringLiterals;
using forms::Align;
using forms::Kind;

namespace {

const QString kFont = u"Arial"_s;
const QString kSystemFont = u"MS Sans Serif"_s;
constexpr double kTitlePt = 48;
constexpr double kSubtitlePt = 20.25;
constexpr double kObjectivePt = 13.5;
constexpr double kLevelPt = 14.25;  // levels, "Avanti", "Esci"
constexpr double kSwitchPt = 12;
constexpr double kSummaryHeadingPt = 20.25;
constexpr double kSummaryPt = 18;
constexpr double kFrameTitlePt = 8.25;

constexpr forms::Rgb kShapeBack = 0xFFE0C0;
constexpr forms::Rgb kShapeFront = 0xFFC080;

// Title area across the top.
constexpr int kTitleHeight = 2040;
constexpr int kShapeLeft = 600, kShapeTop = 90, kShapeWidth = 10440, kShapeHeight = 1770;
constexpr int kShapeOffset = 120;  // Shape2(1) sits this much right of and below Shape2(0)

// The two choice frames side by side.
constexpr int kFramesTop = 2160, kFramesHeight = 2760;
constexpr int kFrame1Left = 240, kFrame1Width = 6480;
constexpr int kFrame2Left = 6960, kFrame2Width = 4680;
constexpr int kButtonHeight = 480;
constexpr int kStripWidth = 150;

// Objective buttons: three places, two buttons each.
constexpr int kObjectiveLeft = 240, kObjectiveWidth = 5700, kObjectiveTop = 360, kObjectivePitch = 600;
constexpr int kObjectiveStripLeft = kObjectiveLeft + kObjectiveWidth + 90;
// Level buttons: four rows.
constexpr int kLevelLeft = 240, kLevelWidth = 3960, kLevelTop = 360, kLevelPitch = 570;
constexpr int kLevelStripLeft = kLevelLeft + kLevelWidth + 90;

// "Avanti" in Frame3 and "Esci" beside it, under the level frame.
constexpr int kFrame3Top = 5100, kFrame3Width = 2640, kFrame3Height = 1020;
constexpr int kGoHeight = 540;

// Summary lines across the whole width; the objective line may wrap.
constexpr int kSummaryLeft = 240, kSummaryWidth = 11400;

}  // namespace

void StartWindow::buildDesign()
{
    setBackColor(kBackground);

    // --- title area ---------------------------------------------------------
    forms::Control& title =
        add(Kind::Frame, u"fraTitolo"_s).geometry(0, 0, kDesignWidth, kTitleHeight).back(kBackground);
    add(Kind::Shape, u"Shape2"_s, 0, &title)
        .geometry(kShapeLeft, kShapeTop, kShapeWidth, kShapeHeight)
        .shape(forms::ShapeType::RoundedRectangle)
        .back(kShapeBack);
    add(Kind::Shape, u"Shape2"_s, 1, &title)
        .geometry(kShapeLeft + kShapeOffset, kShapeTop + kShapeOffset, kShapeWidth, kShapeHeight)
        .shape(forms::ShapeType::RoundedRectangle)
        .back(kShapeFront);
    const int textLeft = kShapeLeft + kShapeOffset;
    add(Kind::Label, u"lblNomeOperazione"_s, &title)
        .caption(u"OPERAZIONI"_s)
        .geometry(textLeft, 255, kShapeWidth, 1140)
        .font(kFont, kTitlePt, true)
        .fore(kButtonText)
        .transparent()
        .align(Align::Center)
        .wordWrap(false);
    add(Kind::Label, u"Label6"_s, &title)
        .caption(u" OPERAZIONI IN  RIGA CON NUMERI INTERI"_s)
        .geometry(textLeft, 1395, kShapeWidth, 480)
        .font(kFont, kSubtitlePt, true)
        .fore(kButtonText)
        .transparent()
        .align(Align::Center)
        .wordWrap(false);

    auto choiceFrame = [this](const QString& name, const QString& caption, int left, int top, int width,
                              int height) -> forms::Control& {
        return add(Kind::Frame, name)
            .caption(caption)
            .geometry(left, top, width, height)
            .back(kBackground)
            .fore(kHeading)
            .font(kSystemFont, kFrameTitlePt, true)
            .border();
    };
    auto marker = [this](const QString& name, int index, forms::Control& frame, int left, int top) {
        add(Kind::Label, name, index, &frame).geometry(left, top, kStripWidth, kButtonHeight).back(kMarker);
    };

    // --- objectives -------------------------------------------------------------
    forms::Control& objectives =
        choiceFrame(u"Frame1"_s, u"OBIETTIVI"_s, kFrame1Left, kFramesTop, kFrame1Width, kFramesHeight);
    // 3-5 are created first: 0-2 cover them at start.
    for (int i : {3, 4, 5, 0, 1, 2}) {
        const int top = kObjectiveTop + kObjectivePitch * (i % 3);
        add(Kind::OptionButton, u"Option1"_s, i, &objectives)
            .caption(model::kObjectives[std::size_t(i)].buttonCaption.toString())
            .geometry(kObjectiveLeft, top, kObjectiveWidth, kButtonHeight)
            .font(kFont, kObjectivePt, true)
            .back(kButton)
            .fore(kButtonText);
    }
    for (int i : {3, 4, 5, 0, 1, 2})
        marker(u"Label9"_s, i, objectives, kObjectiveStripLeft, kObjectiveTop + kObjectivePitch * (i % 3));
    add(Kind::Label, u"lblCambiaOb"_s, 0, &objectives)
        .caption(u"Cambia gli obiettivi"_s)
        .geometry(kObjectiveLeft, kObjectiveTop + 3 * kObjectivePitch + 60, 3000, 360)
        .font(kFont, kSwitchPt, true)
        .back(kBackground)
        .fore(kButtonText);

    // --- levels ---------------------------------------------------------------------
    forms::Control& levels =
        choiceFrame(u"Frame2"_s, u"LIVELLI"_s, kFrame2Left, kFramesTop, kFrame2Width, kFramesHeight);
    for (int i = 0; i < int(model::kLevels.size()); ++i)
        add(Kind::OptionButton, u"Option2"_s, i, &levels)
            .caption(model::kLevels[std::size_t(i)].buttonCaption.toString())
            .geometry(kLevelLeft, kLevelTop + kLevelPitch * i, kLevelWidth, kButtonHeight)
            .font(kFont, kLevelPt, true)
            .back(kButton)
            .fore(kButtonText);
    for (int i = 0; i < int(model::kLevels.size()); ++i)
        marker(u"Label10"_s, i, levels, kLevelStripLeft, kLevelTop + kLevelPitch * i);

    // --- going on -----------------------------------------------------------------------
    forms::Control& go =
        choiceFrame(u"Frame3"_s, u"OPERATIVITA'"_s, kFrame2Left, kFrame3Top, kFrame3Width, kFrame3Height);
    add(Kind::OptionButton, u"Option3"_s, 0, &go)
        .caption(u"Avanti"_s)
        .geometry(240, 330, kFrame3Width - 480, kGoHeight)
        .font(kFont, kLevelPt, true)
        .back(kButton)
        .fore(kButtonText);
    add(Kind::OptionButton, u"Option3"_s, 1)
        .caption(u"Esci"_s)
        .geometry(kFrame2Left + kFrame3Width + 240, kFrame3Top + 330, kFrame2Width - kFrame3Width - 240, kGoHeight)
        .font(kFont, kLevelPt, true)
        .back(kButton)
        .fore(kButtonText);

    // --- summary --------------------------------------------------------------------------
    add(Kind::Label, u"Label7"_s)
        .caption(u"Le tue scelte"_s)
        .geometry(kSummaryLeft, 5280, 4800, 480)
        .font(kFont, kSummaryHeadingPt, true)
        .back(kBackground)
        .fore(kHeading);
    add(Kind::Label, u"Label1"_s)
        .caption(u"Obiettivo: "_s)
        .geometry(kSummaryLeft, 6360, kSummaryWidth, 840)
        .font(kFont, kSummaryPt, true)
        .back(kBackground)
        .fore(kHeading);
    add(Kind::Label, u"Label3"_s)
        .caption(u"Livello: "_s)
        .geometry(kSummaryLeft, 7320, kSummaryWidth, 480)
        .font(kFont, kSummaryPt, true)
        .back(kBackground)
        .fore(kHeading);

    // --- menu bar ------------------------------------------------------------------------------
    add(Kind::MenuItem, u"mnuSchede"_s).caption(u"Stampa schede"_s).enabled(false);
    add(Kind::MenuItem, u"mnuValutazione"_s).caption(u"Valutazione"_s);
    add(Kind::MenuItem, u"mnuEsempi"_s).caption(u"Esemplicazione"_s);
    add(Kind::MenuItem, u"mnuInfo"_s).caption(u"Abaout"_s);

    // Keyboard mode.
    bindKey(forms::kKeyEscape, c(u"Option3"_s, 1));

    // --- curtain, on top of everything -----------------------------------------------------------
    add(Kind::Timer, u"TimerTendine"_s).interval(kCurtainInterval).enabled(false);
    const int half = kDesignWidth / 2;
    add(Kind::Picture, u"Picture2"_s).geometry(0, 0, half, kDesignHeight).back(kCurtain);
    add(Kind::Picture, u"Picture1"_s).geometry(kDesignWidth - half, 0, half, kDesignHeight).back(kCurtain);
}

}  // namespace start

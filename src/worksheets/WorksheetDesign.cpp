// Design table of FrmStampaSchede: every control, its caption, colours, font
// and geometry (twips, relative to its container). Creation order is the
// stacking order, back to front, within each container.
//
//   +---------------------------------------------------------+----------------------------------+
//   | Label1 (objective title - level text)                    | Frame5 OPERAZIONE                |
//   |                                                          |  Option3(0) Label11 Option3(1) … |
//   | LblOp  1..10    LblOp 11..20    LblOp 21..30             |  Option3(2) Label11 Option3(3) … |
//   |   (upper block, ten rows)                                | Frame1 OBIETTIVI 1|2             |
//   |                                                          |  Option1(0|3)   Label9  (× 3)    |
//   |                                                          |  lblCambiaObSchede               |
//   | LblOp 31..40    LblOp 41..50    LblOp 51..60             | Frame2 LIVELLI                   |
//   |   (lower block, ten rows)                                |  Option2(0..3), two by two       |
//   |                                                          | Frame3 ALUNNI  view|print|- n +  |
//   |                                                          | Frame4 DOCENTI view|print|- n +  |
//   |                                                          | CmdRicomincia  Command1          |
//   +---------------------------------------------------------+----------------------------------+

#include "worksheets/SheetTables.h"
#include "worksheets/WorksheetWindow.h"

namespace worksheets {

using namespace Qt::Literals::StringLiterals;
using forms::Kind;

namespace {

const QString kFont = u"Arial"_s;
const QString kFrameFont = u"MS Sans Serif"_s;
const QString kLineFont = u"Courier New"_s;
constexpr double kStatusPt = 12;
constexpr double kChoicePt = 9;  // objective and level buttons, the set switch
constexpr double kCommandPt = 8.25;
constexpr double kFramePt = 8.25;
constexpr double kLinePt = 9.75;

constexpr forms::Rgb kButton = 0xFFE0C0;
constexpr forms::Rgb kHeading = 0xC00000;  // frame titles and the status line
constexpr forms::Rgb kLineText = 0x000000;

// The sheet: three columns, an upper and a lower block of ten rows each. A
// line of 30 characters of the line font just fills a label.
constexpr int kColumnLeft[3] = {285, 4260, 8175};
constexpr int kUpperTop = 1125, kLowerTop = 3435, kRowPitch = 210;
constexpr int kLineWidth = 3510, kLineHeight = 225;

// Status line above the sheet.
constexpr int kStatusLeft = 285, kStatusTop = 150, kStatusWidth = 11400, kStatusHeight = 870;

// The choices in a column right of the sheet.
constexpr int kSideLeft = 11880, kSideWidth = 6150;
constexpr int kInset = 120;     // left margin inside a frame
constexpr int kFirstRow = 300;  // first button row under a frame title
constexpr int kButtonHeight = 360;
constexpr int kStripWidth = 150, kStripGap = 60;
constexpr int kFrameGap = 120;  // between the frames of the column

// Operations and levels, two by two.
constexpr int kPairFrameHeight = 1200;
constexpr int kPairPitch = 420;
constexpr int kPairColumn = (kSideWidth - 2 * kInset) / 2;  // second column of buttons
constexpr int kPairWidth = kPairColumn - kStripGap - kStripWidth - kInset;

constexpr int kFrame5Top = 120;
constexpr int kFrame1Top = kFrame5Top + kPairFrameHeight + kFrameGap, kFrame1Height = 1950;
constexpr int kObjectivePitch = 390;
constexpr int kObjectiveWidth = kSideWidth - 2 * kInset - kStripGap - kStripWidth;
constexpr int kSwitchTop = 1500, kSwitchHeight = 300;

constexpr int kFrame2Top = kFrame1Top + kFrame1Height + kFrameGap;

constexpr int kFrame3Top = kFrame2Top + kPairFrameHeight + kFrameGap, kSheetFrameHeight = 780;
constexpr int kFrame4Top = kFrame3Top + kSheetFrameHeight + kFrameGap;
constexpr int kCommandTop = 270, kCommandHeight = 390;
constexpr int kViewWidth = 2940, kPrintLeft = kInset + kViewWidth + 120, kPrintWidth = 1620;
// How many sheets: "-", the number, "+", right of the print button.
constexpr int kStepWidth = 300, kCountWidth = 420, kCountGap = 60;
constexpr int kMinusLeft = kPrintLeft + kPrintWidth + 90;
constexpr int kCountLeft = kMinusLeft + kStepWidth + kCountGap;
constexpr int kPlusLeft = kCountLeft + kCountWidth + kCountGap;
constexpr double kCountPt = 10;
constexpr forms::Rgb kCountBack = 0xFFFFFF;

constexpr int kBottomTop = kFrame4Top + kSheetFrameHeight + kFrameGap, kBottomHeight = 420;
constexpr int kBottomGap = 120, kBottomWidth = (kSideWidth - kBottomGap) / 2;

static_assert(kPlusLeft + kStepWidth + kInset <= kSideWidth);
static_assert(kSideLeft + kSideWidth < WorksheetWindow::kDesignWidth);
static_assert(kBottomTop + kBottomHeight < WorksheetWindow::kDesignHeight);

}  // namespace

void WorksheetWindow::buildDesign()
{
    setCaption(u"ADDIZIONI - SCHEDE"_s);
    setBackColor(kBackground);

    add(Kind::Label, u"Label1"_s)
        .geometry(kStatusLeft, kStatusTop, kStatusWidth, kStatusHeight)
        .font(kFont, kStatusPt, true)
        .fore(kHeading)
        .back(kBackground);

    // --- the sheet: LblOp 1..60, with the unused members 0 and 61 -----------------
    auto line = [this](int index) -> forms::ControlBuilder {
        return add(Kind::Label, u"LblOp"_s, index)
            .font(kLineFont, kLinePt, true)
            .fore(kLineText)
            .back(kBackground)
            .wordWrap(false);
    };
    line(0).geometry(kColumnLeft[0], kUpperTop, kLineWidth, kLineHeight).visible(false);
    for (int s = 1; s <= kSheetSlots; ++s) {
        const int block = (s - 1) / 30;
        const int column = (s - 1) % 30 / 10;
        const int row = (s - 1) % 10;
        line(s).geometry(kColumnLeft[column], (block == 0 ? kUpperTop : kLowerTop) + kRowPitch * row, kLineWidth,
                         kLineHeight);
    }
    line(kSheetSlots + 1).geometry(kColumnLeft[0], kLowerTop, kLineWidth, kLineHeight).visible(false);

    auto frame = [this](const QString& name, const QString& caption, int top, int height) -> forms::ControlBuilder {
        return add(Kind::Frame, name)
            .caption(caption)
            .geometry(kSideLeft, top, kSideWidth, height)
            .font(kFrameFont, kFramePt, true)
            .fore(kHeading)
            .back(kBackground)
            .border();
    };
    auto choice = [this](const QString& name, int index, forms::Control& container, QStringView caption, int left,
                         int top, int width) {
        add(Kind::OptionButton, name, index, &container)
            .caption(caption.toString())
            .geometry(left, top, width, kButtonHeight)
            .font(kFont, kChoicePt, true)
            .fore(kButtonText)
            .back(kButton);
    };
    auto strip = [this](const QString& name, int index, forms::Control& container, int left, int top) {
        add(Kind::Label, name, index, &container).geometry(left, top, kStripWidth, kButtonHeight).back(kMarker);
    };
    auto command = [this](const QString& name, const QString& caption, forms::Control* container, int left, int top,
                          int width, int height) -> forms::ControlBuilder {
        return add(Kind::CommandButton, name, container)
            .caption(caption)
            .geometry(left, top, width, height)
            .font(kFont, kCommandPt, true)
            .fore(kButtonText)
            .back(kButton);
    };

    // --- operations, two by two: additions at load ---------------------------------
    forms::Control& operations = frame(u"Frame5"_s, u"OPERAZIONE"_s, kFrame5Top, kPairFrameHeight);
    for (int i = 0; i < int(kSheetOperations.size()); ++i) {
        const int left = kInset + kPairColumn * (i % 2);
        const int top = kFirstRow + kPairPitch * (i / 2);
        choice(u"Option3"_s, i, operations, kSheetOperations[std::size_t(i)].buttonCaption, left, top, kPairWidth);
        strip(u"Label11"_s, i, operations, left + kPairWidth + kStripGap, top);
    }
    forms::markChosen(c(u"Option3", 0), true, kChosen, kButtonText);
    c(u"Label11", 0).setBackColor(kChosen);

    // --- objectives: set 2 created first, so set 1 covers it at start ---------------
    forms::Control& objectives = frame(u"Frame1"_s, u"OBIETTIVI 1"_s, kFrame1Top, kFrame1Height);
    constexpr int kObjectiveOrder[] = {3, 4, 5, 0, 1, 2};
    for (int i : kObjectiveOrder)
        choice(u"Option1"_s, i, objectives, kSheetObjectives[std::size_t(i)].buttonCaption, kInset,
               kFirstRow + kObjectivePitch * (i % kObjectivesPerSet), kObjectiveWidth);
    for (int i : kObjectiveOrder)
        strip(u"Label9"_s, i, objectives, kInset + kObjectiveWidth + kStripGap,
              kFirstRow + kObjectivePitch * (i % kObjectivesPerSet));
    add(Kind::Label, u"lblCambiaObSchede"_s, &objectives)
        .caption(u"Clicca -qui- per cambiare gli obiettivi"_s)
        .geometry(kInset, kSwitchTop, kSideWidth - 2 * kInset, kSwitchHeight)
        .font(kFont, kChoicePt, true)
        .fore(kButtonText)
        .back(kBackground);

    // --- levels, two by two ------------------------------------------------------------
    forms::Control& levels = frame(u"Frame2"_s, u"LIVELLI"_s, kFrame2Top, kPairFrameHeight).enabled(false);
    for (int i = 0; i < int(kSheetLevels.size()); ++i) {
        const int left = kInset + kPairColumn * (i % 2);
        const int top = kFirstRow + kPairPitch * (i / 2);
        choice(u"Option2"_s, i, levels, kSheetLevels[std::size_t(i)].buttonCaption, left, top, kPairWidth);
        strip(u"Label10"_s, i, levels, left + kPairWidth + kStripGap, top);
    }

    // --- the two sheets: view, and print once the view button has had the focus,
    // with how many sheets to print beside the print button ----------------------------
    auto step = [this](const QString& name, const QString& caption, int index, forms::Control& container,
                       int left) -> forms::ControlBuilder {
        return add(Kind::CommandButton, name, index, &container)
            .caption(caption)
            .geometry(left, kCommandTop, kStepWidth, kCommandHeight)
            .font(kFont, kCountPt, true)
            .fore(kButtonText)
            .back(kButton)
            .visible(false);
    };
    auto count = [&](int index, forms::Control& container, const QString& counted) {
        step(u"CmdMeno"_s, u"-"_s, index, container, kMinusLeft).enabled(false).toolTip(u"Una scheda in meno"_s);
        add(Kind::TextBox, u"txtNumeroSchede"_s, index, &container)
            .caption(u"1"_s)
            .geometry(kCountLeft, kCommandTop, kCountWidth, kCommandHeight)
            .font(kFont, kCountPt, true)
            .fore(kButtonText)
            .back(kCountBack)
            .maxLength(2)
            .visible(false)
            .toolTip(u"Quante schede diverse stampare, da 1 a 40"_s)
            .accessibleName(counted);
        step(u"CmdPiu"_s, u"+"_s, index, container, kPlusLeft).toolTip(u"Una scheda in più"_s);
    };

    forms::Control& pupils = frame(u"Frame3"_s, u"ALUNNI"_s, kFrame3Top, kSheetFrameHeight).enabled(false);
    command(u"CmdSchedaAlunni"_s, u"VISUALIZZA SCHEDA ALUNNI"_s, &pupils, kInset, kCommandTop, kViewWidth,
            kCommandHeight);
    command(u"CmdStampaAlunni"_s, u"STAMPA SCHEDA "_s, &pupils, kPrintLeft, kCommandTop, kPrintWidth, kCommandHeight)
        .visible(false);
    count(0, pupils, u"Schede alunni da stampare"_s);

    forms::Control& teachers = frame(u"Frame4"_s, u"DOCENTI"_s, kFrame4Top, kSheetFrameHeight).enabled(false);
    command(u"CmdSchedaDocenti"_s, u"VISUALIZZA SCHEDA DOCENTI"_s, &teachers, kInset, kCommandTop, kViewWidth,
            kCommandHeight);
    command(u"CmdStampaDocenti"_s, u"STAMPA SCHEDA"_s, &teachers, kPrintLeft, kCommandTop, kPrintWidth, kCommandHeight)
        .visible(false);
    count(1, teachers, u"Schede docenti da stampare"_s);

    // --- clearing and leaving ------------------------------------------------------------
    command(u"CmdRicomincia"_s, u"CANCELLA SCHEDA"_s, nullptr, kSideLeft, kBottomTop, kBottomWidth, kBottomHeight);
    command(u"Command1"_s, u"ESCI"_s, nullptr, kSideLeft + kBottomWidth + kBottomGap, kBottomTop, kBottomWidth,
            kBottomHeight);
    bindKey(forms::kKeyEscape, c(u"Command1"_s));  // keyboard mode
}

}  // namespace worksheets

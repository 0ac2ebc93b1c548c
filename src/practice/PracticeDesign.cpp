// Design table of FrmOperativo: every control, its caption, colours, font and
// geometry (twips, relative to its container). Creation order is the stacking
// order, back to front, within each container.
//
//   +--------------------------------------------------------------------+
//   | Label1(1)  Operazione: ...                                           |
//   | Label1(0)  objective summary                                       |
//   | Label1(2)  level summary                                           |
//   | +-- fraNumero / fraSegno ------------------------+ +-fraElabora-+  |
//   | |   12   +   7   =  [ ? ]                        | | statistics |  |
//   | +------------------------------------------------+ |            |  |
//   | +-- lblRiferimento: the five stacked panels -----+ +------------+  |
//   | |  fraTastierino, fraTastierinoRidotto, fraAiuto, |   LblEsito     |
//   | |  fraIntervento, fraAvviso                       |   Label7       |
//   | +------------------------------------------------+                 |
//   +--------------------------------------------------------------------+

#include "practice/PracticeWindow.h"

namespace practice {

using namespace Qt::Literals::StringLiterals;
using forms::Align;
using forms::Control;
using forms::Kind;

namespace {

constexpr forms::Rgb kPanelBack = 0xFFE0C0;
constexpr forms::Rgb kAnswerBack = 0xFFFFC0;
constexpr forms::Rgb kButtonBack = 0xFFFFFF;
constexpr forms::Rgb kDarkBlue = 0x0000C0;
constexpr forms::Rgb kDarkRed = 0xC00000;
constexpr forms::Rgb kRed = 0xFF0000;

const QString kFont = u"Arial"_s;
constexpr double kHeaderPt = 12;
constexpr double kNumberPt = 26;      // the operation
constexpr double kCorrectionPt = 20;  // the right answer shown after help
constexpr double kDigitPt = 20;       // keypad digits and signs
constexpr double kButtonPt = 12;      // Cancella, Verifica, Avanti, Esci
constexpr double kQuestionPt = 22;    // help and intervention texts
constexpr double kStatCaptionPt = 9.75;
constexpr double kStatValuePt = 14;

// Operation area: the number panel and the sign panel, one over the other.
constexpr int kOpLeft = 240, kOpTop = 1440, kOpWidth = 8400, kOpHeight = 2040;
// The five stacked panels, all at lblRiferimento.
constexpr int kPanelLeft = 240, kPanelTop = 3600, kPanelWidth = 8400, kPanelHeight = 3840;
// Right-hand column.
constexpr int kSideLeft = 8760, kSideWidth = 2520;

// Number panel: three places of kPlaceWidth with the two operator labels
// between them.
constexpr int kPlaceWidth = 2300, kOperatorWidth = 600;
constexpr int kPlace0 = 150;
constexpr int kPlace1 = kPlace0 + kPlaceWidth + kOperatorWidth;
constexpr int kPlace2 = kPlace1 + kPlaceWidth + kOperatorWidth;
constexpr int kRowTop = 300, kRowHeight = 800;
constexpr int kCorrectionTop = 1200, kCorrectionHeight = 560;
// The rectangle the cross strikes: centred on the answer label, whose left
// edge it follows at kCrossOffset.
constexpr int kCrossInset = PracticeWindow::kCrossOffset;
constexpr int kCrossWidth = kPlaceWidth - 2 * kCrossInset;
constexpr int kCrossTop = kRowTop + 60, kCrossHeight = kRowHeight - 120;

// Sign panel: number, operator, number, sign, number.
constexpr int kSignNumberWidth = 2000, kSignWidth = 1000;
constexpr int kRif2[5] = {200, 2200, 3200, 5200, 6200};

// Keypads: the command column on the right is shared by both.
constexpr int kCommandLeft = 6300, kCommandWidth = 1800, kCommandHeight = 700;
constexpr int kCommandTop[4] = {400, 1250, 2100, 2950};  // Cancella, Verifica, Avanti, Esci

}  // namespace

void PracticeWindow::buildDesign()
{
    setCaption(QString());
    setBackColor(kPanelBack);

    auto label = [this](const QString& name, int index, Control* in) {
        return add(Kind::Label, name, index, in).back(kPanelBack);
    };
    auto frame = [this](const QString& name) { return add(Kind::Frame, name).back(kPanelBack); };
    auto button = [this](const QString& name, int index, Control* in, const QString& text, double points) {
        return add(Kind::OptionButton, name, index, in)
            .caption(text)
            .font(kFont, points, true)
            .fore(kDarkBlue)
            .back(kButtonBack)
            .align(Align::Center);
    };
    auto cross = [this](const QString& name, Control* in) {
        return add(Kind::Line, name, in).fore(kRed).lineWidth(3).visible(false);
    };

    // --- header: operation name, objective, level -------------------------
    label(u"Label1"_s, 0, nullptr).geometry(240, 520, 11040, 380).font(kFont, kHeaderPt, true).fore(kDarkBlue);
    label(u"Label1"_s, 1, nullptr).geometry(240, 120, 11040, 380).font(kFont, kHeaderPt, true).fore(kDarkRed);
    label(u"Label1"_s, 2, nullptr).geometry(240, 920, 11040, 380).font(kFont, kHeaderPt, true).fore(kDarkBlue);

    // --- sign panel (variants 7..12) ---------------------------------------
    // The operation panels are read as one sentence, told as it changes.
    Control& segno = frame(u"fraSegno"_s).geometry(kOpLeft, kOpTop, kOpWidth, kOpHeight).announced();
    for (int i = 0; i < 5; ++i) {
        const int width = (i % 2 == 0) ? kSignNumberWidth : kSignWidth;
        label(u"lblRif2"_s, i, &segno).geometry(kRif2[i], kRowTop, width, kRowHeight).visible(false);
    }
    auto signNumber = [&](const QString& name, int left) {
        label(name, -1, &segno)
            .geometry(left, kRowTop, kSignNumberWidth, kRowHeight)
            .font(kFont, kNumberPt, true)
            .fore(kDarkBlue)
            .align(Align::Center);
    };
    signNumber(u"lblNumero4"_s, kRif2[0]);
    signNumber(u"lblNumero6"_s, kRif2[2]);
    signNumber(u"LblNumero8"_s, kRif2[4]);
    label(u"lblUguale2"_s, -1, &segno)
        .geometry(kRif2[1], kRowTop, kSignWidth, kRowHeight)
        .font(kFont, kNumberPt, true)
        .fore(kDarkBlue)
        .align(Align::Center);
    add(Kind::Label, u"lblLineeS"_s, &segno).geometry(kRif2[3], kCrossTop, kSignWidth, kCrossHeight).transparent();
    add(Kind::Label, u"lblSegno2"_s, &segno)
        .caption(u"?"_s)
        .geometry(kRif2[3], kRowTop, kSignWidth, kRowHeight)
        .font(kFont, kNumberPt, true)
        .fore(kDarkRed)
        .back(kAnswerBack)
        .align(Align::Center);
    label(u"lblCorrezioneS"_s, -1, &segno)
        .geometry(kRif2[3], kCorrectionTop, kSignWidth, kCorrectionHeight)
        .font(kFont, kCorrectionPt, true)
        .fore(kDarkRed)
        .align(Align::Center);
    cross(u"Line1"_s, &segno);
    cross(u"Line2"_s, &segno);

    // --- number panel (variants 1..6), in front at design ------------------
    Control& numero = frame(u"fraNumero"_s).geometry(kOpLeft, kOpTop, kOpWidth, kOpHeight).announced();
    const int places[3] = {kPlace0, kPlace1, kPlace2};
    for (int i = 0; i < 3; ++i)
        label(u"lblRifer"_s, i, &numero).geometry(places[i], kRowTop, kPlaceWidth, kRowHeight).visible(false);
    auto operationLabel = [&](const QString& name, int left, int width) {
        label(name, -1, &numero)
            .geometry(left, kRowTop, width, kRowHeight)
            .font(kFont, kNumberPt, true)
            .fore(kDarkBlue)
            .align(Align::Center);
    };
    operationLabel(u"LblNumero1"_s, kPlace0, kPlaceWidth);
    operationLabel(u"LblSegno"_s, kPlace0 + kPlaceWidth, kOperatorWidth);
    operationLabel(u"LblNumero2"_s, kPlace1, kPlaceWidth);
    operationLabel(u"LblUguale"_s, kPlace1 + kPlaceWidth, kOperatorWidth);
    add(Kind::Label, u"lblLinee"_s, &numero)
        .geometry(kPlace2 + kCrossInset, kCrossTop, kCrossWidth, kCrossHeight)
        .transparent();
    add(Kind::Label, u"lblRisultato1"_s, &numero)
        .caption(u"?"_s)
        .geometry(kPlace2, kRowTop, kPlaceWidth, kRowHeight)
        .font(kFont, kNumberPt, true)
        .fore(kDarkRed)
        .back(kAnswerBack)
        .align(Align::Center);
    label(u"lblCorrezione"_s, -1, &numero)
        .geometry(kPlace2, kCorrectionTop, kPlaceWidth, kCorrectionHeight)
        .font(kFont, kCorrectionPt, true)
        .fore(kRed)
        .align(Align::Center);
    cross(u"Line3"_s, &numero);
    cross(u"Line4"_s, &numero);

    // --- statistics panel ---------------------------------------------------
    Control& stats =
        frame(u"fraElaborazione"_s).geometry(kSideLeft, kOpTop, kSideWidth, 3780).border().accessibleName(u"Statistiche"_s);
    struct Statistic {
        int captionIndex;
        QString caption;
        QString valueName;
        QString toolTip;
    };
    const Statistic statistics[5] = {
        {1, u"Operazioni eseguite"_s, u"LblOperazione"_s, {}},
        {0, u"Risposte esatte "_s, u"lblRisEsatte"_s, {}},
        {3, u"Risposte errate"_s, u"lblRisErrate"_s, {}},
        {4, u"Tempo parziale"_s, u"LblTempoParziale"_s, u"Secondi impiegati per ogni risposta"_s},
        {5, u"Tempo totale"_s, u"LblTempoTotale"_s, u"Secondi impiegati per ogni esercizio"_s},
    };
    for (int row = 0; row < 5; ++row) {
        const Statistic& s = statistics[row];
        const int top = 120 + row * 720;
        Control& caption = label(u"Label5"_s, s.captionIndex, &stats)
                               .caption(s.caption)
                               .geometry(120, top, 2280, 300)
                               .font(kFont, kStatCaptionPt, true)
                               .fore(kDarkBlue)
                               .toolTip(s.toolTip);
        label(s.valueName, -1, &stats)
            .geometry(120, top + 300, 2280, 400)
            .font(kFont, kStatValuePt, true)
            .fore(kDarkRed)
            .align(Align::Center)
            .toolTip(s.toolTip)
            .labelledBy(caption);
    }

    // --- anchor of the stacked panels ---------------------------------------
    add(Kind::Label, u"lblRiferimento"_s).geometry(kPanelLeft, kPanelTop, kPanelWidth, kPanelHeight).visible(false);

    auto stacked = [&](const QString& name) -> forms::ControlBuilder {
        return frame(name).geometry(kPanelLeft, kPanelTop, kPanelWidth, kPanelHeight).enabled(false);
    };
    auto question = [&](const QString& name, Control* in, const QString& text, forms::Rgb color) {
        label(name, -1, in)
            .caption(text)
            .geometry(600, 500, 7200, 800)
            .font(kFont, kQuestionPt, true)
            .fore(color)
            .align(Align::Center);
    };

    // Help panel.
    // The panels that take over are told by their question.
    Control& aiuto = stacked(u"fraAiuto"_s).accessibleName(u"Ti aiuto ?"_s).announced();
    question(u"LblAiuto"_s, &aiuto, u"Ti aiuto ?"_s, kDarkBlue);
    button(u"Option3"_s, 1, &aiuto, u"Sì"_s, kDigitPt).geometry(2000, 1700, 1800, 1100);
    button(u"Option3"_s, 0, &aiuto, u"No"_s, kDigitPt).geometry(4600, 1700, 1800, 1100);

    // End panel.
    Control& avviso = stacked(u"fraAvviso"_s).accessibleName(u"Esercitazione terminata"_s).announced();
    label(u"Label6"_s, -1, &avviso)
        .caption(u"Esercitazione terminata"_s)
        .geometry(600, 400, 7200, 700)
        .font(kFont, kCorrectionPt, true)
        .fore(kDarkRed)
        .align(Align::Center);
    label(u"Label3"_s, -1, &avviso)
        .caption(u"Se ricominci, gli esercizi andranno persi"_s)
        .geometry(600, 1200, 7200, 500)
        .font(kFont, kButtonPt, true)
        .fore(kDarkBlue)
        .align(Align::Center);
    button(u"Option4"_s, 0, &avviso, u"VISUALIZZA"_s, 14).geometry(1200, 2100, 2800, 1000);
    button(u"Option4"_s, 1, &avviso, u"Ricomincia"_s, 14).geometry(4400, 2100, 2800, 1000);

    // Intervention panel.
    Control& intervento = stacked(u"fraIntervento"_s).accessibleName(u"Ora intevengo io"_s).announced();
    question(u"lblIntervento"_s, &intervento, u"Ora intevengo io"_s, kDarkRed);
    button(u"optOK"_s, -1, &intervento, u"OK"_s, kDigitPt).geometry(3300, 1700, 1800, 1100).back(0xFFC0C0);

    // Reduced keypad: the three relation signs.
    Control& ridotto = stacked(u"fraTastierinoRidotto"_s).accessibleName(u"Tastierino dei segni"_s);
    const QString signs[3] = {u"="_s, u"<"_s, u">"_s};
    for (int i = 0; i < 3; ++i)
        button(u"Option5"_s, i, &ridotto, signs[i], kNumberPt).geometry(500 + i * 1800, 1000, 1400, 1400);
    const QString commands[3] = {u"Verifica"_s, u"Avanti"_s, u"Esci"_s};
    for (int i = 0; i < 3; ++i)
        button(u"Option5"_s, 3 + i, &ridotto, commands[i], kButtonPt)
            .geometry(kCommandLeft, kCommandTop[1 + i], kCommandWidth, kCommandHeight)
            .enabled(false);

    // Numeric keypad, in front at design: 1..5 above, 6..9 and 0 below.
    Control& tastierino = stacked(u"fraTastierino"_s).accessibleName(u"Tastierino"_s);
    for (int digit = 0; digit <= 9; ++digit) {
        const int slot = digit == 0 ? 9 : digit - 1;
        button(u"Option1"_s, digit, &tastierino, QString::number(digit), kDigitPt)
            .geometry(300 + (slot % 5) * 1150, 600 + (slot / 5) * 1250, 1000, 1000);
    }
    const QString numberCommands[4] = {u"Cancella"_s, u"Verifica"_s, u"Avanti"_s, u"Esci"_s};
    for (int i = 0; i < 4; ++i)
        button(u"Option1"_s, 10 + i, &tastierino, numberCommands[i], kButtonPt)
            .geometry(kCommandLeft, kCommandTop[i], kCommandWidth, kCommandHeight)
            .enabled(false);

    // --- outcome and sound ---------------------------------------------------
    label(u"LblEsito"_s, -1, nullptr)
        .announced()
        .geometry(kSideLeft, 5400, kSideWidth, 800)
        .font(kFont, kQuestionPt, true)
        .fore(kRed)
        .align(Align::Center);
    label(u"Label7"_s, -1, nullptr)
        .caption(u"si audio"_s)
        .geometry(kSideLeft, 6400, kSideWidth, 400)
        .font(kFont, 10, true)
        .fore(kRed)
        .align(Align::Center);

    // "Crea esercizio", "Esegui sercizio" and the hidden "Esercizio standard"
    // have no action and are left out.
    add(Kind::MenuItem, u"mnuVisualizza"_s).caption(u"Visualizza operazioni eseguite"_s);

    // Keyboard mode: each key works the button a click would reach now.
    for (int digit = 0; digit <= 9; ++digit)
        bindKey('0' + digit, c(u"Option1"_s, digit));
    bindKey(forms::kKeyBackspace, c(u"Option1"_s, 10));
    for (int i = 0; i < 3; ++i)
        bindKey(signs[i].at(0).unicode(), c(u"Option5"_s, i));
    for (Control* button : {&c(u"Option1"_s, 11), &c(u"Option1"_s, 12), &c(u"Option5"_s, 3), &c(u"Option5"_s, 4)})
        bindKey(forms::kKeyEnter, *button);  // "Verifica", then "Avanti"
    bindKey(forms::kKeyEscape, c(u"Option1"_s, 13));
    bindKey(forms::kKeyEscape, c(u"Option5"_s, 5));
}

void PracticeWindow::connectHandlers()
{
    using forms::Event;
    on(u"Option1"_s, Event::MouseDown, [this](int i) { Option1_MouseDown(i); });
    on(u"Option1"_s, Event::MouseUp, [this](int i) { Option1_MouseUp(i); });
    on(u"Option5"_s, Event::MouseDown, [this](int i) { Option5_MouseDown(i); });
    on(u"Option5"_s, Event::MouseUp, [this](int i) { Option5_MouseUp(i); });
    on(u"Option3"_s, Event::MouseDown, [this](int i) { Option3_MouseDown(i); });
    on(u"Option3"_s, Event::MouseUp, [this](int i) { Option3_MouseUp(i); });
    on(u"Option4"_s, Event::MouseDown, [this](int i) { Option4_MouseDown(i); });
    on(u"Option4"_s, Event::MouseUp, [this](int i) { Option4_MouseUp(i); });
    on(u"optOK"_s, Event::Click, [this](int) { optOK_Click(); });
    onKeyDown(u"optOK"_s, [this](int, int& key) { optOK_KeyDown(key); });
    on(u"lblRisultato1"_s, Event::Change, [this](int) { lblRisultato1_Change(); });
    on(u"lblSegno2"_s, Event::Change, [this](int) { lblSegno2_Change(); });
    on(u"Label7"_s, Event::Click, [this](int) { Label7_Click(); });
    on(u"fraElaborazione"_s, Event::Click, [this](int) { fraElaborazione_Click(); });
    on(u"mnuVisualizza"_s, Event::Click, [this](int) { mnuVisualizza_Click(); });
}

}  // namespace practice

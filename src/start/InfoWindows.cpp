// The information windows: their design tables and their one event, closing.

#include "start/InfoWindows.h"

#include "start/Names.h"

#include <array>

namespace start {

using namespace Qt::Literals::StringLiterals;
using forms::Align;
using forms::Kind;

namespace {

const QString kFont = u"Arial"_s;
constexpr forms::Rgb kBlue = 0x0000FF;
constexpr forms::Rgb kDarkBlue = 0x0000C0;
constexpr forms::Rgb kPurple = 0x800080;
constexpr forms::Rgb kRed = 0xFF0000;
constexpr forms::Rgb kDarkRed = 0xC00000;
constexpr int kCloseWidth = 1800, kCloseHeight = 480;

}  // namespace

QString programVersion()
{
    return QStringLiteral(ARITMETICA_VERSION);
}

// --- common -------------------------------------------------------------------

InfoWindow::InfoWindow(Services& services, const QString& name, int width, int height)
    : Form(name, width, height), m_services(services)
{
    setFixedSize(true);
}

void InfoWindow::addCloseButton(int left, int top)
{
    add(Kind::CommandButton, u"Command1"_s)
        .caption(u"C h i u d i"_s)
        .geometry(left, top, kCloseWidth, kCloseHeight)
        .font(kFont, 9.75, true);
    on(u"Command1"_s, forms::Event::Click, [this](int) { close(); });
    bindKey(forms::kKeyEscape, c(u"Command1"_s));  // keyboard mode
}

void InfoWindow::close()
{
    m_services.host.unload(name());
}

// --- FrmValutazione -------------------------------------------------------------
//
//   +-- Frame1 --------------+  +-- Frame2 ------------------+
//   |  SCALA DI VALUTAZIONE  |  |  ATTESTATO DI VALUTAZIONE  |
//   |  10/10 ottimo ...      |  |  Puoi stampare ...         |
//   +------------------------+  +----------------------------+
//   Label10
//                      [ C h i u d i ]

ValutazioneWindow::ValutazioneWindow(Services& services)
    : InfoWindow(services, kValutazioneWindow, kDesignWidth, kDesignHeight)
{
    constexpr forms::Rgb kBack = 0xC0FFFF;
    constexpr forms::Rgb kPanel = 0x80FFFF;
    constexpr double kPt = 12;
    constexpr int kPanelTop = 240, kPanelHeight = 3000;

    setCaption(u"SCALA  DI  VALUTAZIONE"_s);
    setBackColor(kBack);
    setBackgroundClickable(true);

    forms::Control& scale =
        add(Kind::Frame, u"Frame1"_s).geometry(240, kPanelTop, 3600, kPanelHeight).back(kPanel).border();
    add(Kind::Label, u"Label9"_s, &scale)
        .caption(u"SCALA DI VALUTAZIONE"_s)
        .geometry(120, 180, 3360, 360)
        .font(kFont, kPt, true)
        .fore(kPurple)
        .transparent()
        .align(Align::Center);
    const std::array grades = {u"10/10 ottimo"_s, u" 9/10 ottimo"_s,      u" 8/10 distinto"_s,
                               u" 7/10 buono"_s,  u" 6/10 sufficiente"_s, u" 5/10 sufficiente (!)"_s};
    for (int i = 0; i < int(grades.size()); ++i)
        add(Kind::Label, u"lblScala"_s, i, &scale)
            .caption(grades[std::size_t(i)])
            .geometry(480, 660 + 360 * i, 2880, 330)
            .font(kFont, kPt, true)
            .fore(kBlue)
            .transparent()
            .wordWrap(false);

    forms::Control& certificate =
        add(Kind::Frame, u"Frame2"_s).geometry(4080, kPanelTop, 3840, kPanelHeight).back(kPanel).border();
    add(Kind::Label, u"Label8"_s, &certificate)
        .caption(u"ATTESTATO DI VALUTAZIONE"_s)
        .geometry(120, 180, 3600, 360)
        .font(kFont, kPt, true)
        .fore(kPurple)
        .transparent()
        .align(Align::Center);
    add(Kind::Label, u"Label4"_s, &certificate)
        .caption(u"Puoi stampare l'attestato  dopo aver eseguito per intero almeno un esercizio"_s)
        .geometry(240, 780, 3360, 1800)
        .font(kFont, kPt, true)
        .fore(kBlue)
        .transparent();

    add(Kind::Label, u"Label10"_s)
        .caption(
            u"L'attestato di valutazione va ritagliato e incollato sul quaderno accanto alle operazioni "
            u"eseguite"_s)
        .geometry(240, 3420, 7680, 660)
        .font(kFont, kPt, true)
        .fore(kDarkRed)
        .transparent()
        .align(Align::Center);

    addCloseButton((kDesignWidth - kCloseWidth) / 2, 4200);
}

// --- frmEsempi ------------------------------------------------------------------
//
//   heading 1
//   osa 1   3 + 6 = ?
//   osa 2   3 + ? = 9
//   osa 3   ? + 6 = 9
//   heading 2
//   osa 1   3 + 6 = ?    3 + ? = 9    ? + 6 = 9
//   osa 2   ? = 3 + 6    9 = ? + 6    9 = 3 + ?
//   osa 3   3 + 6 ? 9    3 + 6 ? 11
//           9 ?  3 + 6   11 ? 3 + 6
//                  [ C h i u d i ]

EsempiWindow::EsempiWindow(Services& services) : InfoWindow(services, kEsempiWindow, kDesignWidth, kDesignHeight)
{
    constexpr forms::Rgb kBack = 0xFFC0C0;
    constexpr double kHeadingPt = 12;
    constexpr double kExamplePt = 19.5;
    constexpr int kMarkLeft = 240, kMarkWidth = 1320;
    constexpr int kColumnLeft = 1800, kColumnWidth = 2400, kColumnPitch = 2520;
    constexpr int kRowHeight = 480, kHeadingHeight = 360;

    setCaption(u"Esempi"_s);
    setBackColor(kBack);

    // One entry per label of the array, in reading order. Column -1 is the
    // row mark; a heading spans the window.
    enum Role { Heading, Mark, Example };
    struct Entry {
        Role role;
        int top;
        int column;
        QString text;
    };
    const int type1 = 660, type2 = 2820;
    const std::array entries = {
        Entry{Heading, 240, 0, u"OPERAZIONI   DI   TIPO   1: segno di  = sempre a destra"_s},
        Entry{Mark, type1, 0, u"osa 1"_s},
        Entry{Example, type1, 0, u"3 + 6 = ?"_s},
        Entry{Mark, type1 + 540, 0, u"osa 2"_s},
        Entry{Example, type1 + 540, 0, u"3 + ? = 9"_s},
        Entry{Mark, type1 + 1080, 0, u"osa 3"_s},
        Entry{Example, type1 + 1080, 0, u"? + 6 = 9"_s},
        Entry{Heading, 2400, 0, u"OPERAZIONI    DI   TIPO   2: segno di = a destra o a sinistra secondo casualità"_s},
        Entry{Mark, type2, 0, u"osa 1"_s},
        Entry{Example, type2, 0, u"3 + 6 = ?"_s},
        Entry{Example, type2, 1, u"3 + ? = 9"_s},
        Entry{Example, type2, 2, u"? + 6 = 9"_s},
        Entry{Mark, type2 + 540, 0, u"osa 2"_s},
        Entry{Example, type2 + 540, 0, u"? = 3 + 6"_s},
        Entry{Example, type2 + 540, 1, u"9 = ? + 6"_s},
        Entry{Example, type2 + 540, 2, u"9 = 3 + ?"_s},
        Entry{Mark, type2 + 1080, 0, u"osa 3"_s},
        Entry{Example, type2 + 1080, 0, u"3 + 6 ? 9"_s},
        Entry{Example, type2 + 1080, 1, u"3 + 6 ? 11"_s},
        Entry{Example, type2 + 1620, 0, u"9 ?  3 + 6"_s},
        Entry{Example, type2 + 1620, 1, u"11 ? 3 + 6"_s},
    };
    for (int i = 0; i < int(entries.size()); ++i) {
        const Entry& e = entries[std::size_t(i)];
        auto label = add(Kind::Label, u"Label1"_s, i).caption(e.text).transparent().wordWrap(false);
        switch (e.role) {
            case Heading:
                label.geometry(kMarkLeft, e.top, kDesignWidth - 2 * kMarkLeft, kHeadingHeight)
                    .font(kFont, kHeadingPt, true)
                    .fore(kRed);
                break;
            case Mark:
                label.geometry(kMarkLeft, e.top, kMarkWidth, kRowHeight).font(kFont, kExamplePt, true).fore(kRed);
                break;
            case Example:
                label.geometry(kColumnLeft + kColumnPitch * e.column, e.top, kColumnWidth, kRowHeight)
                    .font(kFont, kExamplePt, true)
                    .fore(kDarkBlue);
                break;
        }
    }

    addCloseButton((kDesignWidth - kCloseWidth) / 2, 5220);
}

// --- frmAutore ------------------------------------------------------------------

AutoreWindow::AutoreWindow(Services& services) : InfoWindow(services, kAutoreWindow, kDesignWidth, kDesignHeight)
{
    constexpr forms::Rgb kBack = 0xFFC0FF;
    constexpr int kTextLeft = 240, kTextWidth = kDesignWidth - 2 * kTextLeft;

    setCaption(u"AUTORE"_s);
    setBackColor(kBack);

    add(Kind::Label, u"lblNome"_s)
        .caption(u"Aritmetica"_s)
        .geometry(kTextLeft, 300, kTextWidth, 600)
        .font(kFont, 24, true)
        .fore(kDarkBlue)
        .transparent()
        .align(Align::Center);
    add(Kind::Label, u"lblVersione"_s)
        .caption(u"Versione "_s + programVersion())
        .geometry(kTextLeft, 1020, kTextWidth, 360)
        .font(kFont, 12, true)
        .fore(kDarkBlue)
        .transparent()
        .align(Align::Center);
    add(Kind::Label, u"lblDescrizione"_s)
        .caption(u"Esercizi sulle quattro operazioni in riga con numeri interi, per la scuola primaria"_s)
        .geometry(kTextLeft, 1500, kTextWidth, 720)
        .font(kFont, 12, true)
        .fore(kPurple)
        .transparent()
        .align(Align::Center);

    addCloseButton((kDesignWidth - kCloseWidth) / 2, 2700);
}

}  // namespace start

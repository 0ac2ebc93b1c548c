// The design table of FrmAttestato.

#include "certificate/CertificateWindow.h"
#include "certificate/Names.h"

namespace certificate {

using namespace Qt::Literals::StringLiterals;
using forms::Align;
using forms::Kind;

namespace {

constexpr int kMargin = 240;
constexpr int kFrameHeight = 1620;
constexpr int kWidth = CertificateWindow::kCardWidth + 2 * kMargin;
constexpr int kHeight = kMargin + CertificateWindow::kCardHeight + 120 + kFrameHeight + kMargin;

}  // namespace

//   +-- Picture1 (the card) ---------------+
//   |         ATTESTATO DI MERITO          |
//   |             rilasciato a             |
//   |                 ...                  |
//   +--------------------------------------+
//   +-- Frame4 ----------------------------+
//   |        [ STAMPA L'ATTESTATO ]        |
//   |  [ TORNA ALLA FINESTRA PRECEDENTE ]  |
//   |          [ FINE SESSIONE ]           |
//   +--------------------------------------+
//
// The card is wider and taller than a pocket card would be: its longest lines
// (an objective such as "CALCOLO CASUALE DEL RISULTATO O DEL TERMINE" at
// 12 pt bold, the title at 20 pt bold) and its twenty-odd lines must fit on
// it, since the card is printed exactly as it shows.
CertificateWindow::CertificateWindow(Services& services)
    : Form(kCertificateWindow, kWidth, kHeight), m_services(services), m_state(services.state)
{
    buildDesign();
    connectHandlers();
}

void CertificateWindow::buildDesign()
{
    constexpr forms::Rgb kBack = 0xFFC0FF;
    constexpr forms::Rgb kButtonBack = 0xFFE0C0;
    constexpr forms::Rgb kButtonText = 0x0000C0;
    constexpr int kButtonWidth = 4560, kButtonHeight = 420;

    setCaption(u"Form1"_s);
    setBackColor(kBack);

    // Its font is the one the card's first empty lines are fed in.
    add(Kind::Picture, u"Picture1"_s)
        .geometry(kMargin, kMargin, kCardWidth, kCardHeight)
        .back(kCardBack)
        .font(u"Arial"_s, 8.25);

    forms::Control& commands = add(Kind::Frame, u"Frame4"_s)
                                   .geometry(kMargin, kMargin + kCardHeight + 120, kCardWidth, kFrameHeight)
                                   .back(kBack);
    const QString captions[] = {u"STAMPA L'ATTESTATO"_s, u"TORNA ALLA FINESTRA PRECEDENTE"_s, u"FINE SESSIONE"_s};
    for (int i = 0; i < 3; ++i)
        add(Kind::OptionButton, u"Option5"_s, i, &commands)
            .caption(captions[i])
            .geometry((kCardWidth - kButtonWidth) / 2, 120 + i * (kButtonHeight + 60), kButtonWidth, kButtonHeight)
            .font(u"Arial"_s, 9.75, true)
            .back(kButtonBack)
            .fore(kButtonText)
            .align(Align::Center);
    // Keyboard mode: back to the list, as its window's exit.
    bindKey(forms::kKeyEscape, c(u"Option5"_s, 1));
}

}  // namespace certificate

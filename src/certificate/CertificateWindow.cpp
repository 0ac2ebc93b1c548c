// FrmAttestato: the grade, the card drawn line by line, and its commands.

#include "certificate/CertificateWindow.h"

#include "certificate/Grade.h"
#include "certificate/Names.h"
#include "platform/PrintReport.h"

#include <cmath>

namespace certificate {

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr forms::Rgb kRed = 0xFF0000;
constexpr forms::Rgb kBlack = 0x000000;
const QString kCardFont = u"arial"_s;

}  // namespace

CertificateWindow::~CertificateWindow()
{
    // The control must not point at a surface that is gone.
    if (forms::Control* picture = find(u"Picture1")) picture->setSurface(nullptr);
}

void CertificateWindow::connectHandlers()
{
    using forms::Event;
    on(u"Option5"_s, Event::MouseDown, [this](int i) { Option5_MouseDown(i); });
    on(u"Option5"_s, Event::MouseUp, [this](int i) { Option5_MouseUp(i); });
}

void CertificateWindow::Form_Load()
{
    m_layout = layout::captureLayout(*this);
    grade();
    drawCard();
}

void CertificateWindow::Form_Resize()
{
    layout::applyLayout(*this, m_layout);
}

void CertificateWindow::grade()
{
    m_state.gradeText = gradeTextFor(gradeNumber(m_state.rightAnswers, m_state.operationIndex));
    if (m_state.gradeText == kNotGraded) {
        forms::Control& print = c(u"Option5", 0);
        print.setCaption(u"ATTESTATO NON STAMPABILE"_s);
        print.setEnabled(false);
    }
}

// Top to bottom, every text line centred on the card. The card goes on
// screen before the first line so that the pupil sees it being written.
// No empty line is sent to the printer while drawing: that would open a print
// job that only the print command ends.
void CertificateWindow::drawCard()
{
    m_state.pupilName = capitalisedName(m_state.pupilName);

    forms::Control& picture = c(u"Picture1");
    if (!m_card && m_services.surfaces)
        m_card = m_services.surfaces->create(picture.width(), picture.height(), kCardBack);
    if (!m_card) return;  // no surface on this platform: the card stays blank
    picture.setSurface(m_card.get());

    m_card->setFontName(kCardFont);
    m_card->setFontSize(picture.font().pointSize);
    m_card->setFontBold(picture.font().bold);
    m_cardLines.clear();
    skipLines(3);
    drawLine(u"ATTESTATO DI MERITO"_s, 20, kRed, true);
    drawLine(u"rilasciato a"_s, 12, kBlack, false);
    drawLine(m_state.pupilName, 20, kRed, true);
    skipLines(2);
    drawLine(u"per aver eseguito"_s, 12, kBlack, false);
    skipLines(1);
    drawLine(m_state.operationTitle, 12, kBlack, true);
    skipLines(1);
    drawLine(m_state.objectiveText, 12, kBlack, true);
    skipLines(1);
    drawLine(m_state.levelText, 12, kBlack, true);
    skipLines(1);
    drawLine(u"con la valutazione di"_s, 12, kBlack, false);
    skipLines(1);
    drawLine(m_state.gradeText, 14, kRed, true);
    skipLines(1);
    drawLine(u"con " % model::decimal(m_state.rightAnswers) % u" risposte esatte su " %
                 model::decimal(m_state.operationIndex) % u" richieste",
             12, kBlack, false);
    skipLines(2);
    drawLine(u"Data  " % m_services.clock.shortDate(), 12, kBlack, false);
    // The card is a picture: a screen reader reads its lines as its name.
    picture.setAccessibleName(m_cardLines.join(u", "));
}

void CertificateWindow::drawLine(const QString& text, double points, forms::Rgb color, bool bold)
{
    // Shown by the host that loaded it (modeless, as the list opens it).
    if (m_services.host.find(name()) == this) m_services.host.show(name());
    m_services.host.doEvents();
    m_cardText = text;
    m_cardLines << text.simplified();
    m_card->setFontName(kCardFont);
    m_card->setFontSize(points);
    m_card->setFontBold(bold);
    m_card->setColor(color);
    m_card->setCurrentX(int(std::lround(m_card->width() / 2.0 - m_card->textWidth(m_cardText) / 2.0)));
    m_card->printLine(m_cardText);
}

void CertificateWindow::skipLines(int count)
{
    for (int i = 0; i < count; ++i) m_card->printLine(QString());
}

void CertificateWindow::Option5_MouseDown(int index)
{
    switch (index) {
        case 0: printCard(); break;
        case 1: m_services.host.unload(name()); break;
        case 2: m_services.host.unloadAll(); break;
        default: break;
    }
}

void CertificateWindow::Option5_MouseUp(int index)
{
    c(u"Option5", index).setSelected(false);
}

void CertificateWindow::printCard()
{
    if (m_state.operationIndex < kMinimumOperations) {
        m_services.dialogs.message(kTooFewOperations);
        c(u"Option5", 0).setEnabled(false);
        return;
    }
    if (!m_card) {
        platform::reportPrintResult(m_services.dialogs, {false, {}, u"L'attestato non è stato disegnato."_s});
        return;
    }
    const auto printer = platform::openPrintJob(m_services.printers, u"attestato"_s, m_services.dialogs);
    if (!printer)
        return;
    printer->printImage(*m_card, kPrintLeft, kPrintTop);
    // Every press prints another card, whatever became of this one.
    platform::reportPrintResult(m_services.dialogs, printer->endDocument());
}

}  // namespace certificate

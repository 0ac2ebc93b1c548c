#pragma once

#include "app/Services.h"
#include "forms/Form.h"
#include "layout/Layout.h"
#include "platform/DrawingSurface.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace certificate {

// FrmAttestato: the certificate of merit. At load it grades the practice run
// and draws the card line by line; then it prints the card, goes back to the
// list of exercises or ends the session.
class CertificateWindow final : public forms::Form {
public:
    static constexpr int kCardWidth = 6750;
    static constexpr int kCardHeight = 7500;
    static constexpr forms::Rgb kCardBack = 0xC0FFFF;
    // Where the card goes on the page.
    static constexpr int kPrintLeft = 1000;
    static constexpr int kPrintTop = 100;

    explicit CertificateWindow(Services& services);
    ~CertificateWindow() override;

    // The card's surface; nullptr when the platform gave none.
    platform::DrawingSurface* card() const { return m_card.get(); }
    // The line being measured and drawn.
    const QString& cardText() const { return m_cardText; }

protected:
    void Form_Load() override;
    void Form_Resize() override;

private:
    void buildDesign();
    void connectHandlers();

    void grade();
    void drawCard();
    void drawLine(const QString& text, double points, forms::Rgb color, bool bold);
    void skipLines(int count);
    void printCard();

    void Option5_MouseDown(int index);
    void Option5_MouseUp(int index);

    Services m_services;
    model::AppState& m_state;
    std::vector<layout::ControlLayout> m_layout;
    std::unique_ptr<platform::DrawingSurface> m_card;
    QString m_cardText;
    QStringList m_cardLines;  // what the card says, for a screen reader
};

}  // namespace certificate

#pragma once

#include "app/Services.h"
#include "forms/Form.h"
#include "layout/Layout.h"
#include "model/AppState.h"

#include <QString>

#include <vector>

namespace start {

// frmInizio: the first window and the hub of the program. It shows which
// operation this copy drills, takes the choice of objective and level into
// the shared state, and goes on to the practice window. A curtain opens the
// window at start; the menu bar opens the worksheets and the information
// windows.
class StartWindow final : public forms::Form {
public:
    static constexpr int kDesignWidth = 11880;
    static constexpr int kDesignHeight = 8400;
    // The curtain shrinks by this much per tick and is open once the right
    // panel is no wider than kCurtainOpenWidth.
    static constexpr int kCurtainStep = 75;
    static constexpr int kCurtainOpenWidth = 74;
    static constexpr int kCurtainInterval = 5;  // milliseconds

    explicit StartWindow(Services& services);

    // Objective set and level set, as kept in the settings file.
    model::int16 objectiveSet() const { return m_objectiveSet; }
    model::int16 levelSet() const { return m_levelSet; }
    const QString& levelPrefix() const { return m_levelPrefix; }
    bool curtainOpen() const { return m_curtainOpen; }

    // --- window methods --------------------------------------------------
    void azzeraObiettivi();
    void azzeraLivelli();
    void chiudiTutto();
    void leggiLivelli();
    void scriviLivelli();
    void avviaTendina();

protected:
    void Form_Load() override;
    void Form_Activate() override;
    void Form_Resize() override;
    void Form_Unload() override;

private:
    void buildDesign();
    void connectHandlers();
    // Keeps the right panel against the right edge.
    void dockCurtain();

    void Option1_MouseDown(int index);
    void Option2_MouseDown(int index);
    void Option3_MouseDown(int index);
    void releaseOption(const QString& name, int index);
    void Option3_GotFocus(int index);
    void Option3_LostFocus(int index);
    void lblCambiaOb_Click(int index);
    void TimerTendine_Timer();
    void mnuSchede_Click();
    void mnuValutazione_Click();
    void mnuEsempi_Click();
    void mnuInfo_Click();

    Services m_services;
    model::AppState& m_state;
    model::int16 m_objectiveSet = 1;
    model::int16 m_levelSet = 1;
    QString m_levelPrefix;
    bool m_curtainOpen = false;
    std::vector<layout::ControlLayout> m_layout;
};

}  // namespace start

#pragma once

#include "support/WindowFixture.h"
#include "worksheets/WorksheetForms.h"
#include "worksheets/WorksheetWindow.h"

#include <QString>

#include <stdexcept>

namespace worksheets_test {

using namespace Qt::Literals::StringLiterals;

// Seven blanks between the pupil text and the answer.
inline const QString kGap = u"       "_s;

// The worksheet window in a host of its own, with a seeded random source, a
// recording printer and a stand-in for the start window.
struct WorksheetFixture : testing_support::WindowFixture<model::StdRandomSource> {
    WorksheetFixture() : WindowFixture(model::StdRandomSource(20240611))
    {
        makeWindow = [this](const QString& name) -> std::unique_ptr<forms::Form> {
            if (name == u"frmInizio") return std::make_unique<testing_support::StandInWindow>(name);
            return worksheets::createWorksheetForm(name, services);
        };
    }

    worksheets::WorksheetWindow& open()
    {
        forms::Form* form = host.show(u"FrmStampaSchede"_s);
        if (!form) throw std::runtime_error("FrmStampaSchede not shown");
        return static_cast<worksheets::WorksheetWindow&>(*form);
    }
    // Objective button, level button, then the pupil sheet.
    static void showPupilSheet(forms::Form& w, int objective = 0, int level = 0)
    {
        w.press(u"Option1"_s, objective);
        w.press(u"Option2"_s, level);
        w.click(w.c(u"CmdSchedaAlunni"));
    }
    static QStringList lines(const forms::Form& w)
    {
        QStringList out;
        for (int s = 1; s <= 60; ++s) out << w.c(u"LblOp", s).caption();
        return out;
    }
    QStringList stored(const model::RecordArray& array) const
    {
        QStringList out;
        for (int s = 1; s <= 60; ++s) out << array[std::size_t(s)];
        return out;
    }
};

}  // namespace worksheets_test

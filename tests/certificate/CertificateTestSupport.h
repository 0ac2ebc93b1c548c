#pragma once

#include "certificate/CertificateForms.h"
#include "certificate/CertificateWindow.h"
#include "certificate/ExercisesWindow.h"
#include "support/WindowFixture.h"

#include <QString>
#include <QStringList>

#include <stdexcept>

namespace certificate_tests {

using namespace Qt::Literals::StringLiterals;
using testing_support::PrintedItem;

// The two printouts on a toolkit-free host, with recording printers and
// surfaces, a clock set to 08/12/26, a stand-in for the practice window (which
// the list shows again on closing) and a practice run of `lines` operations.
class CertificateFixture : public testing_support::WindowFixture<> {
protected:
    CertificateFixture()
    {
        makeWindow = [this](const QString& name) -> std::unique_ptr<forms::Form> {
            if (name == u"FrmOperativo") return std::make_unique<testing_support::StandInWindow>(name);
            return certificate::createCertificateForm(name, services);
        };
    }

    // A record of `count` lines as a practice run leaves them, and the two
    // exercise times.
    void recordRun(int count)
    {
        for (int i = 1; i <= count; ++i) state.doneOperations[std::size_t(i)] = lineFor(i);
        state.operationIndex = model::int16(count);
        state.exerciseSecondsText[1] = u"95"_s;
        state.exerciseSecondsText[2] = u"123"_s;
    }
    static QString lineFor(int i)
    {
        return QString::number(i).rightJustified(2) + u" + 15 = .     r.....................  " +
               QString::number(i + 15) + u"   (s. 5)";
    }

    certificate::ExercisesWindow& openList()
    {
        auto* form = dynamic_cast<certificate::ExercisesWindow*>(host.show(u"FrmStampaEsercizio"_s));
        if (!form) throw std::logic_error("list of exercises not shown");
        return *form;
    }
    certificate::CertificateWindow& openCertificate()
    {
        auto* form = dynamic_cast<certificate::CertificateWindow*>(host.show(u"FrmAttestato"_s));
        if (!form) throw std::logic_error("certificate not shown");
        return *form;
    }
};

}  // namespace certificate_tests

#pragma once

#include "app/Services.h"
#include "certificate/CertificateForms.h"
#include "certificate/CertificateWindow.h"
#include "certificate/ExercisesWindow.h"
#include "forms/WindowHost.h"
#include "model/RandomSource.h"
#include "support/Fakes.h"
#include "support/Recorders.h"

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include <functional>
#include <ostream>
#include <stdexcept>

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace testing_support {
inline void PrintTo(const PrintedItem& item, std::ostream* os)
{
    static const char* const kinds[] = {"Text", "Image", "End"};
    *os << kinds[int(item.what)] << " \"" << item.text.toStdString() << "\" " << item.font.toStdString() << ' '
        << item.size << (item.bold ? " bold" : "") << " at (" << item.x << ", " << item.y << ") #" << std::hex
        << item.color << std::dec;
}
}  // namespace testing_support

namespace certificate_tests {

using namespace Qt::Literals::StringLiterals;
using testing_support::PrintedItem;

// A host whose screen size the test sets, and which counts doEvents calls.
class TestHost final : public forms::WindowHost {
public:
    using WindowHost::WindowHost;
    int screenW = 15 * 1280;
    int screenH = 15 * 1024;
    std::function<void()> onDoEvents;
    int screenWidth() const override { return screenW; }
    int screenHeight() const override { return screenH; }
    void doEvents() override
    {
        if (onDoEvents) onDoEvents();
    }
};

// Stands in for the practice window, which the list shows again on closing.
class PracticeStandIn final : public forms::Form {
public:
    PracticeStandIn() : Form(u"FrmOperativo"_s, 3000, 2000) {}
};

// The two printouts on a toolkit-free host, with recording printers and
// surfaces, a clock set to 08/12/26 and a practice run of `lines` operations.
class CertificateFixture : public ::testing::Test {
protected:
    model::AppState state;
    model::ScriptedRandomSource random;
    testing_support::FakeClock clock;
    testing_support::RecordingDialogs dialogs;
    testing_support::RecordingPrinterFactory printers;
    testing_support::RecordingSurfaceFactory surfaces;
    QStringList requested;
    TestHost host{[this](const QString& name) -> std::unique_ptr<forms::Form> {
        requested << name;
        if (name == u"FrmOperativo") return std::make_unique<PracticeStandIn>();
        return certificate::createCertificateForm(name, services);
    }};
    Services services{state, random, clock, dialogs, host, u"ADDIZIONI"_s, &printers, &surfaces};

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

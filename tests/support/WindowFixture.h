#pragma once

#include "app/Services.h"
#include "forms/WindowHost.h"
#include "model/RandomSource.h"
#include "support/Fakes.h"
#include "support/PrintTo.h"
#include "support/Recorders.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace testing_support {

// Stands in for a window that the one under test opens or reads from: a name
// and the labels asked for.
class StandInWindow : public forms::Form {
public:
    explicit StandInWindow(const QString& name, const QStringList& labels = {}) : Form(name, 3000, 2000)
    {
        for (const QString& label : labels) add(forms::Kind::Label, label);
    }
};

// A host whose screen size the test sets, and which reports every doEvents.
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

// The shared state and a scripted platform (clock, dialogs, recording
// printers and surfaces) around a toolkit-free host, for the ADDIZIONI copy.
// The fixture makes its windows through `makeWindow`; every name the host is
// asked for is noted in `requested`.
template <typename Random = model::ScriptedRandomSource>
class WindowFixture : public ::testing::Test {
protected:
    explicit WindowFixture(Random source = {}) : random(std::move(source)) {}

    model::AppState state;
    Random random;
    FakeClock clock;
    RecordingDialogs dialogs;
    RecordingPrinterFactory printers;
    RecordingSurfaceFactory surfaces;
    std::function<std::unique_ptr<forms::Form>(const QString&)> makeWindow;
    QStringList requested;
    TestHost host{[this](const QString& name) -> std::unique_ptr<forms::Form> {
        requested << name;
        return makeWindow ? makeWindow(name) : nullptr;
    }};
    Services services{state, random, clock, dialogs, host, QStringLiteral("ADDIZIONI"), &printers, &surfaces};
};

// A fresh temporary folder as the working directory while it lives: the
// settings file and the printouts land there.
class ScratchWorkingDir {
public:
    ScratchWorkingDir() { m_entered = m_dir.isValid() && QDir::setCurrent(m_dir.path()); }
    ~ScratchWorkingDir() { QDir::setCurrent(m_previous); }
    ScratchWorkingDir(const ScratchWorkingDir&) = delete;
    ScratchWorkingDir& operator=(const ScratchWorkingDir&) = delete;
    bool entered() const { return m_entered; }

private:
    QString m_previous = QDir::currentPath();
    QTemporaryDir m_dir;
    bool m_entered = false;
};

}  // namespace testing_support

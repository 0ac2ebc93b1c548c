#pragma once

#include "start/StartForms.h"
#include "start/StartWindow.h"
#include "support/WindowFixture.h"

#include <QFile>
#include <QStringList>

namespace start_test {

using namespace Qt::Literals::StringLiterals;

// Stands in for the practice window: remembers the settings file as it was
// when the window loaded.
class PracticeStandIn final : public testing_support::StandInWindow {
public:
    explicit PracticeStandIn(QString settingsPath) : StandInWindow(u"FrmOperativo"_s), m_path(std::move(settingsPath))
    {
    }
    QByteArray fileAtLoad;

protected:
    void Form_Load() override
    {
        QFile file(m_path);
        if (file.open(QIODevice::ReadOnly)) fileAtLoad = file.readAll();
    }

private:
    QString m_path;
};

// The start window and its windows on a toolkit-free host, in a fresh
// working directory of their own.
class StartFixture : public testing_support::WindowFixture<> {
protected:
    testing_support::ScratchWorkingDir scratch;

    StartFixture()
    {
        makeWindow = [this](const QString& name) -> std::unique_ptr<forms::Form> {
            if (name == u"FrmOperativo"_s) return std::make_unique<PracticeStandIn>(settingsPath());
            return start::createStartForm(name, services);
        };
    }
    void SetUp() override { ASSERT_TRUE(scratch.entered()); }
    void TearDown() override { host.unloadAll(); }

    QString settingsPath() const { return services.programName + u".dat"_s; }
    void writeSettingsFile(const QByteArray& bytes)
    {
        QFile file(settingsPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray settingsFile() const
    {
        QFile file(settingsPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    }

    start::StartWindow& showStart()
    {
        forms::Form* form = host.show(u"frmInizio"_s);
        EXPECT_NE(form, nullptr);
        return static_cast<start::StartWindow&>(*form);
    }

    // Ticks until the curtain has opened.
    static void openCurtain(start::StartWindow& w)
    {
        forms::Control& timer = w.c(u"TimerTendine"_s);
        for (int tick = 0; tick < 1000 && timer.enabled(); ++tick) w.timerTick(timer);
        ASSERT_TRUE(w.curtainOpen());
    }
};

}  // namespace start_test

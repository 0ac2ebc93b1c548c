#pragma once

#include "app/Services.h"
#include "forms/WindowHost.h"
#include "model/RandomSource.h"
#include "start/StartForms.h"
#include "start/StartWindow.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

namespace start_test {

using namespace Qt::Literals::StringLiterals;

// Stands in for the practice window: remembers the settings file as it was
// when the window loaded.
class PracticeStandIn final : public forms::Form {
public:
    explicit PracticeStandIn(QString settingsPath)
        : Form(u"FrmOperativo"_s, 3000, 2000), m_path(std::move(settingsPath))
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
class StartFixture : public ::testing::Test {
protected:
    model::AppState state;
    model::ScriptedRandomSource random;
    testing_support::FakeClock clock;
    testing_support::RecordingDialogs dialogs;
    QStringList requested;  // every window name the host was asked to load
    forms::WindowHost host{[this](const QString& name) -> std::unique_ptr<forms::Form> {
        requested << name;
        if (name == u"FrmOperativo"_s) return std::make_unique<PracticeStandIn>(services.programName + u".dat"_s);
        return start::createStartForm(name, services);
    }};
    Services services{state, random, clock, dialogs, host, u"ADDIZIONI"_s};
    QTemporaryDir dir;
    QString previousDir;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        previousDir = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(dir.path()));
    }
    void TearDown() override
    {
        host.unloadAll();
        QDir::setCurrent(previousDir);
    }

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
};

}  // namespace start_test

#pragma once

// The program's windows wired as main wires them, but on a plain host and
// with a seeded random source, a clock moved by hand and quiet dialogs; and
// a pupil who works them only through their controls. The soak test and the
// response benchmarks both drive the logic with these.

#include "app/Services.h"
#include "program/Windows.h"
#include "forms/WindowHost.h"
#include "model/AppState.h"
#include "model/Presenters.h"
#include "model/RandomSource.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/DrawingSurface.h"
#include "start/StartWindow.h"
#include "worksheets/WorksheetWindow.h"

#include <QString>
#include <QTimeZone>
#include <QStringView>

#include <cmath>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace soak {

using namespace Qt::Literals::StringLiterals;

inline const QString kStart = u"frmInizio"_s;
inline const QString kPractice = u"FrmOperativo"_s;
inline const QString kExercises = u"FrmStampaEsercizio"_s;
inline const QString kCertificate = u"FrmAttestato"_s;
inline const QString kWorksheets = u"FrmStampaSchede"_s;

// A clock the driver moves on; it goes round at midnight like the real one.
class StepClock final : public platform::Clock {
public:
    double seconds = 36000.0;  // 10:00:00
    double secondsSinceMidnight() override { return seconds; }
    QString shortDate() override { return u"08/12/26"_s; }
    QDateTime now() override
    {
        return {QDate(2026, 12, 8), QTime::fromMSecsSinceStartOfDay(int(seconds * 1000)), QTimeZone(3600)};
    }
    void advance(double by) { seconds = std::fmod(seconds + by, 86400.0); }
};

// Counts message boxes and keeps only the last, so that it does not grow.
class QuietDialogs final : public platform::Dialogs {
public:
    int count = 0;
    QString last;
    void message(const QString& text) override
    {
        ++count;
        last = text;
    }
};

// A card that is measured and written on but keeps nothing: ten twips a
// character a point, a line 24 twips a point high.
class CountingSurface final : public platform::DrawingSurface {
public:
    CountingSurface(int width, int height) : m_width(width), m_height(height) {}
    int width() const override { return m_width; }
    int height() const override { return m_height; }
    void setFontName(const QString&) override {}
    void setFontSize(double points) override { m_points = points; }
    void setFontBold(bool) override {}
    void setColor(std::uint32_t) override {}
    int textWidth(const QString& text) override { return int(std::lround(double(text.size()) * m_points * 10)); }
    int currentX() const override { return m_x; }
    void setCurrentX(int twips) override { m_x = twips; }
    int currentY() const override { return m_y; }
    void printLine(const QString&) override
    {
        m_x = 0;
        m_y += int(std::lround(m_points * 24));
        ++m_revision;
    }
    std::uint64_t revision() const override { return m_revision; }

private:
    int m_width;
    int m_height;
    double m_points = 8.25;
    int m_x = 0;
    int m_y = 0;
    std::uint64_t m_revision = 1;
};

class CountingSurfaceFactory final : public platform::DrawingSurfaceFactory {
public:
    std::unique_ptr<platform::DrawingSurface> create(int width, int height, std::uint32_t) override
    {
        return std::make_unique<CountingSurface>(width, height);
    }
};

// One program session under a copy name. It reads and writes the copy's
// settings file in the current directory, as the program does.
struct Session {
    model::AppState state;
    model::StdRandomSource random;
    StepClock clock;
    QuietDialogs dialogs;
    CountingSurfaceFactory surfaces;
    forms::WindowHost host;
    Services services;

    explicit Session(const QString& copy, std::uint64_t seed = 20261208)
        : random(seed),
          host([this](const QString& name) { return app::createWindow(name, services); }),
          services{state, random, clock, dialogs, host, copy, nullptr, &surfaces}
    {
    }

    forms::Form& window(const QString& name) const
    {
        forms::Form* form = host.find(name);
        if (!form) throw std::logic_error("window not loaded: " + name.toStdString());
        return *form;
    }
    forms::Control& control(const QString& name, QStringView control, int index = -1) const
    {
        return window(name).c(control, index);
    }
    void press(const QString& name, QStringView control, int index = -1) { window(name).press(control, index); }
    void click(const QString& name, QStringView control, int index = -1)
    {
        forms::Form& form = window(name);
        form.click(form.c(control, index));
    }
    // A command button takes the focus as the mouse goes down on it.
    void focusAndClick(const QString& name, QStringView control)
    {
        forms::Form& form = window(name);
        form.setFocus(form.c(control));
        form.click(form.c(control));
    }

    // --- the start window ----------------------------------------------------
    forms::Form& showStart()
    {
        forms::Form* form = host.show(kStart);
        if (!form) throw std::logic_error("start window not shown");
        return *form;
    }
    start::StartWindow& startWindow() const { return dynamic_cast<start::StartWindow&>(window(kStart)); }
    // Ticks the curtain open, which enables the worksheet menu.
    void openCurtain()
    {
        forms::Form& form = window(kStart);
        forms::Control& timer = form.c(u"TimerTendine");
        for (int tick = 0; tick < 1000 && timer.enabled(); ++tick) form.timerTick(timer);
        if (timer.enabled()) throw std::logic_error("the curtain did not open");
    }
    // Objective 0..5 (the set in front switched as needed) and level 0..3.
    void chooseOnStart(int objective, int level)
    {
        if ((objective >= 3) != (startWindow().objectiveSet() == 2)) click(kStart, u"lblCambiaOb", 0);
        press(kStart, u"Option1", objective);
        press(kStart, u"Option2", level);
    }
    forms::Form& openPractice(int objective, int level)
    {
        chooseOnStart(objective, level);
        press(kStart, u"Option3", 0);  // "Avanti"
        return window(kPractice);
    }

    // --- the worksheet window ------------------------------------------------
    worksheets::WorksheetWindow& openWorksheets()
    {
        click(kStart, u"mnuSchede");
        return dynamic_cast<worksheets::WorksheetWindow&>(window(kWorksheets));
    }
    // Objective 0..5 (the set in front switched as needed), level 0..3, then
    // the pupil sheet.
    void pupilSheet(int objective, int level)
    {
        if ((objective >= 3) != (state.sheetObjectiveSet == 2)) click(kWorksheets, u"lblCambiaObSchede");
        press(kWorksheets, u"Option1", objective);
        press(kWorksheets, u"Option2", level);
        focusAndClick(kWorksheets, u"CmdSchedaAlunni");
    }
};

// The pupil at the practice window: reads the operation off the shared state
// and answers on the keypad in front.
struct Pupil {
    Session& s;

    bool numberPanel() const { return model::isNumberVariant(s.state.variantCode); }
    QString right() const { return s.state.expectedAnswer.trimmed(); }
    // The right answer with its last digit changed, or another sign.
    QString wrong() const
    {
        QString answer = right();
        if (!numberPanel()) return answer == u"=" ? u"<"_s : u"="_s;
        if (answer.isEmpty() || !answer.back().isDigit())
            throw std::logic_error("no number to answer: " + answer.toStdString());
        answer.back() = QChar(u'0' + (answer.back().digitValue() + 1) % 10);
        return answer;
    }
    void enter(const QString& answer)
    {
        if (!numberPanel()) {
            const auto sign = QStringView(u"=<>").indexOf(answer);
            if (answer.size() != 1 || sign < 0) throw std::logic_error("not a sign: " + answer.toStdString());
            s.press(kPractice, u"Option5", int(sign));
            return;
        }
        for (QChar digit : answer) {
            if (!digit.isDigit()) throw std::logic_error("not a number: " + answer.toStdString());
            s.press(kPractice, u"Option1", digit.digitValue());
        }
    }
    void cancella() { s.press(kPractice, u"Option1", 10); }
    void verifica() { numberPanel() ? s.press(kPractice, u"Option1", 11) : s.press(kPractice, u"Option5", 3); }
    void avanti() { numberPanel() ? s.press(kPractice, u"Option1", 12) : s.press(kPractice, u"Option5", 4); }
    void esci() { numberPanel() ? s.press(kPractice, u"Option1", 13) : s.press(kPractice, u"Option5", 5); }
    void si() { s.press(kPractice, u"Option3", 1); }
    void no() { s.press(kPractice, u"Option3", 0); }
    void ok() { s.click(kPractice, u"optOK"); }
    void visualizza() { s.press(kPractice, u"Option4", 0); }
    void ricomincia() { s.press(kPractice, u"Option4", 1); }
    // The end-of-run notice is the panel that takes input.
    bool runOver() const { return s.control(kPractice, u"fraAvviso").enabled(); }
};

}  // namespace soak

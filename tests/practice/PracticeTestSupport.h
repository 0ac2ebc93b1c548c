#pragma once

#include "practice/PracticeWindow.h"
#include "support/WindowFixture.h"

#include <QString>
#include <QStringList>

namespace practice_tests {

using namespace Qt::Literals::StringLiterals;

inline const QStringList kStackedPanels = {u"fraAiuto"_s, u"fraTastierino"_s, u"fraAvviso"_s, u"fraIntervento"_s,
                                           u"fraTastierinoRidotto"_s};

// One practice window in a host of its own, with a scripted random source and
// a clock set by hand; the start window (its two summary lines) and the list
// of exercises are stand-ins. By default: additions at level 1, objective 1
// (variant 1 only), three digits per answer.
struct PracticeFixture : testing_support::WindowFixture<> {
    PracticeFixture()
    {
        makeWindow = [this](const QString& name) -> std::unique_ptr<forms::Form> {
            if (name == u"FrmOperativo") return std::make_unique<practice::PracticeWindow>(services);
            if (name == u"frmInizio")
                return std::make_unique<testing_support::StandInWindow>(name, QStringList{u"Label1"_s, u"Label3"_s});
            if (name == u"FrmStampaEsercizio") return std::make_unique<testing_support::StandInWindow>(name);
            return nullptr;
        };
        state.operationKind = 1;
        state.levelNumber = 1;
        state.rangeMin = 1;
        state.rangeMax = 30;
        state.variantLow = 1;
        state.variantHigh = 1;
        state.maxAnswerDigits = 3;
        state.exeBaseName = u"ADDIZIONI"_s;
    }

    practice::PracticeWindow& open()
    {
        auto* form = dynamic_cast<practice::PracticeWindow*>(host.show(u"FrmOperativo"_s));
        if (!form) throw std::logic_error("practice window not shown");
        return *form;
    }
    practice::PracticeWindow& window() const
    {
        auto* form = dynamic_cast<practice::PracticeWindow*>(host.find(u"FrmOperativo"_s));
        if (!form) throw std::logic_error("practice window not loaded");
        return *form;
    }
    forms::Control& ctl(QStringView name, int index = -1) const { return window().c(name, index); }
    QString caption(QStringView name, int index = -1) const { return ctl(name, index).caption(); }

    // --- scripting the draws ----------------------------------------------
    // One addition at level 1: A and B drawn as Int(Rnd * 20) + 1, then the
    // variant from the objective's range.
    void scriptAddition(int a, int b, int variant)
    {
        random.appendDraw(a, 20, 1);
        random.appendDraw(b, 20, 1);
        scriptVariant(variant);
    }
    // Subtraction, multiplication or division at level 1: both numbers drawn
    // as Int(Rnd * 30) + 1.
    void scriptPair(int a, int b, int variant)
    {
        random.appendDraw(a, 30, 1);
        random.appendDraw(b, 30, 1);
        scriptVariant(variant);
    }
    void scriptVariant(int variant)
    {
        random.appendDraw(variant, state.variantHigh - state.variantLow + 1, state.variantLow);
    }
    // The operation a kind of several draws for each operation.
    void scriptChoice(int k, int n) { random.appendDraw(k, n, 1); }

    // --- the pupil ----------------------------------------------------------
    void press(QStringView name, int index = -1) { window().press(name, index); }
    void type(QStringView digits)
    {
        for (QChar digit : digits) press(u"Option1", digit.digitValue());
    }
    void cancella() { press(u"Option1", 10); }
    void verifica() { press(u"Option1", 11); }
    void avanti() { press(u"Option1", 12); }
    void sign(int index) { press(u"Option5", index); }  // 0 "=", 1 "<", 2 ">"
    void verificaSign() { press(u"Option5", 3); }
    void avantiSign() { press(u"Option5", 4); }
    void no() { press(u"Option3", 0); }
    void si() { press(u"Option3", 1); }
    void ok() { window().click(ctl(u"optOK")); }
    // Answers the operation on screen with `answer` after `seconds`.
    void answer(QStringView text, double seconds)
    {
        clock.advance(seconds);
        type(text);
        verifica();
    }

    // --- what the pupil sees ------------------------------------------------
    // The stacked panel in front.
    QString frontPanel() const
    {
        const auto& order = window().children(nullptr);
        for (auto it = order.rbegin(); it != order.rend(); ++it)
            if (kStackedPanels.contains((*it)->name())) return (*it)->name();
        return {};
    }
    // Of the number and sign panels, the one in front.
    QString frontOperationPanel() const
    {
        for (auto it = window().children(nullptr).rbegin(); it != window().children(nullptr).rend(); ++it)
            if ((*it)->name() == u"fraNumero" || (*it)->name() == u"fraSegno") return (*it)->name();
        return {};
    }
    // The stacked panels that are enabled, in the order of kStackedPanels.
    QStringList enabledPanels() const
    {
        QStringList names;
        for (const QString& name : kStackedPanels)
            if (ctl(name).enabled()) names << name;
        return names;
    }
    // The enabled flag of buttons name(0..count-1) as "1" and "0".
    QString enabledFlags(QStringView name, int count) const
    {
        QString flags;
        for (int i = 0; i < count; ++i) flags += ctl(name, i).enabled() ? u'1' : u'0';
        return flags;
    }
    QString numericKeypad() const { return enabledFlags(u"Option1", 14); }
    QString signKeypad() const { return enabledFlags(u"Option5", 6); }
    QString line(int slot) const { return state.doneOperations[std::size_t(slot)]; }
};

// "  7 +  15 = .     r.": the addition 7 + 15 with the sum missing.
inline const QString kSevenPlusFifteen = u"  7 +  15 = .     r."_s;

inline QString dots(int n)
{
    return QString(n, u'.');
}

}  // namespace practice_tests

#pragma once

#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Printer.h"
#include "registro/FamilyPage.h"
#include "registro/ReadThread.h"

#include <QObject>
#include <QStringList>
#include <QTimeZone>

#include <functional>

class QWidget;

namespace registro_ui {

// "Scheda dell'alunno" from the teacher's window: the pupil chosen, or every
// pupil of a class the teacher picks, read on the window's read thread and
// then printed in one job.
class FamilyPrint final : public QObject {
    Q_OBJECT  // found by its class among the window's children

public:
    // The class to print, among these names; -1 when the teacher gave up.
    using ClassQuestion = std::function<int(QWidget* parent, const QStringList& classes)>;

    FamilyPrint(QWidget* window, registro::ReadThread& reads, platform::PrinterFactory& printers,
                platform::Clock& clock, platform::Dialogs& dialogs, QTimeZone zone);
    void setClassQuestion(ClassQuestion question) { m_question = std::move(question); }

    // The filter's pupil, or a class when it has none; its dates are the period.
    void print(const registro::RunFilter& filter);

private:
    void readAndPrint(const registro::FamilyPeriod& period, const QString& pupil, const QString& classId);

    QWidget* m_window;
    registro::ReadThread& m_reads;
    platform::PrinterFactory& m_printers;
    platform::Clock& m_clock;
    platform::Dialogs& m_dialogs;
    QTimeZone m_zone;
    ClassQuestion m_question;
};

}  // namespace registro_ui

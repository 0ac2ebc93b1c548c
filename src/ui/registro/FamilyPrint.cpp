#include "ui/registro/FamilyPrint.h"

#include "journal/Classes.h"
#include "journal/Writer.h"
#include "platform/PrintReport.h"

#include <QInputDialog>
#include <QWidget>

using namespace Qt::Literals::StringLiterals;

namespace registro_ui {

namespace {

struct ClassChoices {
    QList<journal::SchoolClass> classes;
    QString error;
};

}  // namespace

FamilyPrint::FamilyPrint(QWidget* window, registro::ReadThread& reads, platform::PrinterFactory& printers,
                         platform::Clock& clock, platform::Dialogs& dialogs, QTimeZone zone)
    : QObject(window),
      m_window(window),
      m_reads(reads),
      m_printers(printers),
      m_clock(clock),
      m_dialogs(dialogs),
      m_zone(std::move(zone)),
      m_question([](QWidget* parent, const QStringList& classes) {
          bool ok = false;
          const QString chosen = QInputDialog::getItem(parent, u"Scheda dell'alunno"_s,
                                                       u"Stampa la scheda di ogni alunno della classe:"_s, classes,
                                                       0, false, &ok);
          return ok ? int(classes.indexOf(chosen)) : -1;
      })
{
    setObjectName(u"schedaAlunno"_s);
}

void FamilyPrint::print(const registro::RunFilter& filter)
{
    const registro::FamilyPeriod period =
        registro::familyPeriod(filter, m_clock.now().toTimeZone(m_zone).date());
    if (!filter.pupil.isEmpty()) {
        readAndPrint(period, filter.pupil, {});
        return;
    }
    m_reads.post<ClassChoices>(
        registro::ReadThread::Printout,
        [this](registro::Reader& reader) {
            journal::UuidSource ids;
            journal::ClassLists lists(reader.database(), ids, m_clock);
            ClassChoices choices{lists.classes(), {}};
            choices.error = lists.lastError();
            return choices;
        },
        [this, period](const ClassChoices& choices) {
            if (!choices.error.isEmpty()) {
                m_dialogs.message(u"Stampa non riuscita. "_s % choices.error);
                return;
            }
            if (choices.classes.isEmpty()) {
                m_dialogs.message(u"Scegli un alunno, o prepara una classe nella scheda «Classi»."_s);
                return;
            }
            QStringList names;
            for (const journal::SchoolClass& schoolClass : choices.classes)
                names << schoolClass.name;
            const int chosen = m_question(m_window, names);
            if (chosen >= 0 && chosen < choices.classes.size())
                readAndPrint(period, {}, choices.classes[chosen].id);
        });
}

void FamilyPrint::readAndPrint(const registro::FamilyPeriod& period, const QString& pupil, const QString& classId)
{
    m_reads.post<registro::FamilySheets>(
        registro::ReadThread::Printout,
        [this, period, pupil, classId](registro::Reader& reader) {
            return pupil.isEmpty() ? registro::readClassSheets(reader, m_clock, classId, period)
                                   : registro::readFamilySheet(reader, pupil, period);
        },
        [this, period](const registro::FamilySheets& read) {
            if (!read.error.isEmpty()) {
                m_dialogs.message(u"Stampa non riuscita. La lettura del registro si è interrotta ("_s % read.error %
                                  u")."_s);
                return;
            }
            if (read.sheets.isEmpty()) {
                m_dialogs.message(u"La classe non ha alunni nel suo elenco."_s);
                return;
            }
            std::unique_ptr<platform::Printer> printer =
                platform::openPrintJob(&m_printers, u"scheda-alunno"_s, m_dialogs);
            if (!printer)
                return;
            const platform::PrintResult result = registro::printFamilyPages(*printer, read.sheets, period, m_zone);
            printer.reset();  // the job is over before the teacher is told
            platform::reportPrintResult(m_dialogs, result);
        });
}

}  // namespace registro_ui

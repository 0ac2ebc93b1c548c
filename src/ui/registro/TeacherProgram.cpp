#include "ui/registro/TeacherProgram.h"

#include "registro/Reader.h"
#include "ui/registro/TeacherWindow.h"

#include <QApplication>
#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>

using namespace Qt::Literals::StringLiterals;

namespace registro_ui {

int runTeacherWindow(platform::PrinterFactory& printers, platform::Clock& clock, platform::Dialogs& dialogs)
{
    const QString path = QDir::current().absoluteFilePath(u"registro.sqlite"_s);
    int status = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"registro"_s);
        db.setDatabaseName(path);
        db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=5000"_s);
        if (!db.open())
            dialogs.message(u"Impossibile aprire il registro. "_s % db.lastError().text());
        registro::Reader reader(db);
        TeacherWindow window(reader, printers, clock, dialogs, u"Registro: "_s % QDir::toNativeSeparators(path));
        window.show();
        status = QApplication::exec();
        db.close();
    }
    QSqlDatabase::removeDatabase(u"registro"_s);
    return status;
}

}  // namespace registro_ui

// registro-verifica: tells a technician, in Italian, whether this account on
// this machine reaches the school's server as its registro.conf says, as the
// copies would; it adds nothing to the journal. `avvia --verifica-registro`
// runs it in the user's data folder. Exit status 0 when all is well.
#include "journal/Database.h"
#include "journal/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcessEnvironment>
#include <QSqlQuery>
#include <QSysInfo>
#include <QVariant>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

void say(bool good, const QString& text)
{
    std::fputs(qPrintable((good ? u"ok:    "_s : u"ERRORE: "_s) + text + u'\n'), stdout);
}

QString first(const QSqlDatabase& db, const QString& sql)
{
    QSqlQuery q(db);
    return q.exec(sql) && q.next() ? q.value(0).toString() : QString();
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const journal::Location where = journal::locate(QDir::currentPath(), QProcessEnvironment::systemEnvironment());
    if (!where.problem.isEmpty()) {
        say(false, where.problem);
        return 1;
    }
    if (!where.server) {
        say(true, u"nessun server nominato: il registro resta nel file "_s + where.localFile);
        return 0;
    }
    const journal::ServerSettings& s = *where.server;
    say(true, u"impostazioni lette: server "_s + s.host + u':' + QString::number(s.port) + u", database "_s +
                  s.database + u", utente "_s + s.user);
    journal::Connection c = journal::openServer(s);
    if (!c.isOpen()) {
        say(false, u"connessione non riuscita: "_s + c.error().text().trimmed());
        return 1;
    }
    const QSqlDatabase db = c.database();
    bool good = true;
    const bool tls = first(db, u"SELECT ssl FROM pg_stat_ssl WHERE pid = pg_backend_pid()"_s) == u"true";
    say(true, u"connessione riuscita, "_s + (tls ? u"cifrata (TLS)"_s : u"NON cifrata"_s));
    if (const QString older = journal::olderServerMessage(db); !older.isEmpty()) {
        say(false, older);
        good = false;
    }
    // Privileges, read without inserting a row.
    const bool mayAdd = first(db, u"SELECT has_table_privilege('runs', 'INSERT')"_s) == u"true";
    const bool mayRead = first(db, u"SELECT has_table_privilege('runs', 'SELECT')"_s) == u"true";
    say(mayAdd, mayAdd ? u"l'utente può aggiungere esecuzioni"_s : u"l'utente non può aggiungere esecuzioni"_s);
    if (mayRead) say(false, u"l'utente può leggere le esecuzioni: per le macchine degli alunni serve il loro ruolo"_s);
    good = good && mayAdd && !mayRead;
    const QString machine = first(db, u"SELECT registro_machine()"_s);
    const QString here = QSysInfo::machineHostName();
    if (machine.isEmpty())
        say(true, u"accesso condiviso degli alunni (nessun ruolo di macchina): vale per ogni macchina"_s);
    else if (machine == here)
        say(true, u"il ruolo è quello di questa macchina ("_s + here + u')');
    else {
        say(false, u"il ruolo è della macchina «"_s + machine + u"», ma questa si chiama «"_s + here +
                       u"»: il server rifiuterebbe le sue esecuzioni"_s);
        good = false;
    }
    return good ? 0 : 1;
}

#include "journal/Sender.h"

#include "journal/Rows.h"

#include <QSqlDriver>
#include <QSqlQuery>
#include <QVariant>

#include <dlfcn.h>
#include <sys/socket.h>

namespace journal {

using namespace Qt::Literals::StringLiterals;

namespace {

// Rows read from the outbox and sent in one transaction.
constexpr int kSyncBatch = 1000;
// Rows in one INSERT sent to the server: fewer round trips.
constexpr int kRowsPerStatement = 200;

// How the outbox names a row of each table: its key, and for operations the place.
QString outboxJoin(TableIndex table)
{
    switch (table) {
        case kOperations: return u"t.run_id = o.entry_key AND t.place = o.place"_s;
        case kRunEnds: return u"t.run_id = o.entry_key"_s;
        default: return u"t.id = o.entry_key"_s;
    }
}

// The socket of a libpq connection, from the library Qt's driver loaded
// (PQsocket): the program itself does not link libpq.
int socketOf(const QSqlDatabase& db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "PGconn*") != 0) return -1;
    void* const connection = *static_cast<void* const*>(handle.data());
    static const auto pqSocket = [] {
        void* const library = ::dlopen("libpq.so.5", RTLD_LAZY | RTLD_NOLOAD);
        return library ? reinterpret_cast<int (*)(const void*)>(::dlsym(library, "PQsocket")) : nullptr;
    }();
    return connection && pqSocket ? pqSocket(connection) : -1;
}

}  // namespace

bool Sender::upkeep(const Done& done, Fault* fault, QString* detail)
{
    if (!ensureLocal(detail)) {
        *fault = Fault::Busy;
        return false;
    }
    if (!connect(fault, detail)) return false;
    QSqlDatabase local = m_local.database();
    const QSqlDatabase remote = m_remote.database();
    if (applyTombstones(local, remote, done, detail) < 0 || !takeClassLists(local, remote, detail)) {
        *fault = Fault::Refused;
        return false;
    }
    return true;
}

void Sender::disconnect()
{
    m_socket.store(-1);
    m_remote.close();
}

void Sender::abort()
{
    if (const int socket = m_socket.load(); socket >= 0) ::shutdown(socket, SHUT_RDWR);
}

bool Sender::ensureLocal(QString* detail)
{
    if (m_local.isOpen() && fileId(m_path) == m_localId) return true;
    m_local = openLocal(m_path);
    m_localId = fileId(m_path);
    if (!m_local.isOpen()) *detail = m_local.error().text();
    return m_local.isOpen();
}

bool Sender::connect(Fault* fault, QString* detail)
{
    if (m_remote.isOpen()) return true;
    m_socket.store(-1);
    m_remote = openServer(m_server, {}, kSyncConnectTimeoutSeconds);
    if (m_remote.isOpen()) {
        // Tables older than the program's would refuse every row: told once,
        // with what the technician must run, and nothing is sent.
        if (const QString older = olderServerMessage(m_remote.database()); !older.isEmpty()) {
            *fault = Fault::Outdated;
            *detail = older;
            m_remote.close();
            return false;
        }
        m_socket.store(socketOf(m_remote.database()));
        return true;
    }
    *fault = Fault::Unreachable;
    *detail = m_remote.error().text();
    m_remote.close();
    return false;
}

// Rows written while no server was named have no outbox entry: once one is
// named, every row of the file goes in the outbox (the server ignores those
// it has), in one transaction with the note that asked for it.
bool Sender::fillOutbox(QString* detail)
{
    QSqlDatabase local = m_local.database();
    QSqlQuery q(local);
    if (!q.exec(u"SELECT count(*) FROM journal_state WHERE key = 'outbox_incomplete'"_s) || !q.next()) {
        *detail = q.lastError().text();
        return false;
    }
    if (q.value(0).toInt() == 0) return true;
    q.finish();
    if (!q.exec(u"BEGIN IMMEDIATE"_s)) {
        *detail = q.lastError().text();
        return false;
    }
    for (std::size_t t = 0; t < tables().size(); ++t) {
        const auto index = TableIndex(t);
        const QString key = index == kOperations || index == kRunEnds ? u"run_id"_s : u"id"_s;
        const QString place = index == kOperations ? u"place"_s : u"0"_s;
        if (!q.exec(u"INSERT INTO outbox (entry_table, entry_key, place) SELECT '"_s + tables()[t].name + u"', "_s +
                    key + u", "_s + place + u" FROM "_s + tables()[t].name)) {
            *detail = q.lastError().text();
            QSqlQuery(local).exec(u"ROLLBACK"_s);
            return false;
        }
    }
    if (!q.exec(u"DELETE FROM journal_state WHERE key = 'outbox_incomplete'"_s) || !q.exec(u"COMMIT"_s)) {
        *detail = q.lastError().text();
        QSqlQuery(local).exec(u"ROLLBACK"_s);
        return false;
    }
    return true;
}

long long Sender::sendBatch(Fault* fault, QString* detail)
{
    if (!ensureLocal(detail) || !fillOutbox(detail)) {
        *fault = Fault::Busy;
        return -1;
    }
    const QSqlDatabase local = m_local.database();
    QSqlQuery range(local);
    if (!range.exec(u"SELECT min(seq), max(seq), count(*) FROM (SELECT seq FROM outbox ORDER BY seq LIMIT %1)"_s.arg(
            kSyncBatch)) ||
        !range.next()) {
        *fault = Fault::Busy;
        *detail = range.lastError().text();
        return -1;
    }
    if (range.value(2).toLongLong() == 0) return 0;
    const qint64 first = range.value(0).toLongLong();
    const qint64 last = range.value(1).toLongLong();
    const long long entries = range.value(2).toLongLong();
    range.finish();

    if (!connect(fault, detail)) return -1;
    QSqlDatabase remote = m_remote.database();
    const auto failRemote = [&](const QSqlError& error) {
        *detail = error.text();
        QSqlQuery(remote).exec(u"ROLLBACK"_s);
        // A server that no longer answers a trivial query went away.
        QSqlQuery probe(remote);
        *fault = probe.exec(u"SELECT 1"_s) ? Fault::Refused : Fault::Unreachable;
        m_socket.store(-1);
        m_remote.close();
        return -1;
    };
    QSqlQuery control(remote);
    if (!control.exec(u"BEGIN"_s)) return failRemote(control.lastError());
    for (std::size_t t = 0; t < tables().size(); ++t) {
        const Table& table = tables()[t];
        QSqlQuery rows(local);
        rows.setForwardOnly(true);
        rows.prepare(u"SELECT t."_s + table.columns.join(u", t.") + u" FROM outbox o JOIN "_s + table.name +
                     u" t ON "_s + outboxJoin(TableIndex(t)) +
                     u" WHERE o.entry_table = :table AND o.seq BETWEEN :first AND :last ORDER BY o.seq"_s);
        rows.bindValue(u":table"_s, table.name);
        rows.bindValue(u":first"_s, first);
        rows.bindValue(u":last"_s, last);
        if (!rows.exec()) {
            *fault = Fault::Busy;
            *detail = rows.lastError().text();
            QSqlQuery(remote).exec(u"ROLLBACK"_s);
            return -1;
        }
        // The values go in the table's column order, the order the SELECT
        // above and the INSERT below both take from the one column list.
        QVariantList values;
        int count = 0;
        const int columns = int(table.columns.size());
        const auto flush = [&]() -> bool {
            if (count == 0) return true;
            QSqlQuery insert(remote);
            insert.prepare(insertStatement(table, count));
            for (int i = 0; i < values.size(); ++i) insert.bindValue(i, values[i]);
            if (!insert.exec()) {
                failRemote(insert.lastError());
                return false;
            }
            values.clear();
            count = 0;
            return true;
        };
        while (rows.next()) {
            for (int c = 0; c < columns; ++c) values << rows.value(c);
            if (++count == kRowsPerStatement && !flush()) return -1;
        }
        if (!flush()) return -1;
    }
    if (!control.exec(u"COMMIT"_s)) return failRemote(control.lastError());

    // Sent: off the outbox. Should this fail, the rows go again and the
    // server ignores them.
    QSqlQuery done(local);
    done.prepare(u"DELETE FROM outbox WHERE seq BETWEEN :first AND :last"_s);
    done.bindValue(u":first"_s, first);
    done.bindValue(u":last"_s, last);
    if (!done.exec()) {
        *fault = Fault::Busy;
        *detail = done.lastError().text();
        return -1;
    }
    return entries;
}

}  // namespace journal

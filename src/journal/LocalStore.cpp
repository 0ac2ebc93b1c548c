#include "journal/LocalStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <sys/stat.h>

namespace journal {

using namespace Qt::Literals::StringLiterals;

namespace {

// Named placeholders: each value goes to its column by name.
QString namedInsert(const Table& table)
{
    QStringList names;
    for (const QString& column : table.columns) names << u':' + column;
    return u"INSERT INTO "_s + table.name + u" ("_s + table.columns.join(u", ") + u") VALUES ("_s +
           names.join(u", ") + u") ON CONFLICT DO NOTHING"_s;
}

// The key and place the outbox names a row of each table by.
QString keyColumn(TableIndex table)
{
    return table == kOperations || table == kRunEnds ? u"run_id"_s : u"id"_s;
}

}  // namespace

std::optional<FileId> fileId(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return std::nullopt;
    return FileId{st.st_dev, st.st_ino};
}

void LocalStore::close()
{
    m_inserts.clear();
    m_outboxInsert.reset();
    m_connection.close();
}

Fault LocalStore::open(QString* detail, Salvage* salvage)
{
    close();
    Fault result = Fault::None;
    m_connection = openLocal(m_path);
    if (!m_connection.isOpen()) {
        const Fault fault = fail(m_connection.error(), detail);
        if (fault != Fault::Damaged) return fault;
        if (!reallyDamaged()) return Fault::Busy;  // try again later
        if (!moveAside(&m_aside, detail)) return Fault::Unwritable;
        m_connection = openLocal(m_path);
        if (!m_connection.isOpen()) return fail(m_connection.error(), detail);
    }
    m_id = fileId(m_path);
    const QSqlDatabase db = m_connection.database();
    for (const Table& table : tables()) {
        QSqlQuery insert(db);
        insert.prepare(namedInsert(table));
        m_inserts.push_back(std::move(insert));
    }
    m_outboxInsert.emplace(db);
    m_outboxInsert->prepare(u"INSERT INTO outbox (entry_table, entry_key, place) VALUES (:table, :key, :place)"_s);
    if (!m_aside.isEmpty()) {
        // Moved aside now or at the last write: the new file takes in what
        // can be read of the old one.
        *salvage = {};
        salvage->aside = std::exchange(m_aside, {});
        takeIn(*salvage);
        result = Fault::Damaged;
    }
    return result;
}

Fault LocalStore::write(const std::vector<Row>& rows, QString* detail, Salvage* salvage)
{
    // Another copy may have moved a damaged file aside: write to the new one.
    if (m_connection.isOpen() && fileId(m_path) != m_id) close();
    Fault opened = Fault::None;
    if (!m_connection.isOpen()) {
        opened = open(detail, salvage);
        if (opened != Fault::None && opened != Fault::Damaged) return opened;
    }
    QSqlDatabase db = m_connection.database();
    QSqlQuery control(db);
    if (!control.exec(u"BEGIN IMMEDIATE"_s)) return fail(control.lastError(), detail);
    const auto rollBack = [&](const QSqlError& error) {
        QSqlQuery(db).exec(u"ROLLBACK"_s);
        const Fault fault = fail(error, detail);
        if (fault == Fault::Damaged && reallyDamaged()) {
            close();
            // The next write opens a new file, which takes in the old one.
            if (moveAside(&m_aside, detail)) return write(rows, detail, salvage);
            return Fault::Unwritable;
        }
        return fault == Fault::Damaged ? Fault::Busy : fault;
    };
    bool inserted = false;
    for (const Row& row : rows) {
        QSqlQuery& insert = m_inserts[std::size_t(row.table)];
        for (const QString& column : tables()[std::size_t(row.table)].columns) {
            // A column added since the row was made (a spill file of an
            // older version): its default, empty.
            const QVariant value = row.value(column);
            insert.bindValue(u':' + column, value.isValid() ? value : QVariant(QString(u""_s)));
        }
        if (!insert.exec()) return rollBack(insert.lastError());
        // A row already there (taken in twice) is not sent twice either.
        inserted = inserted || insert.numRowsAffected() > 0;
        if (m_outbox && !m_alreadySent && insert.numRowsAffected() > 0) {
            m_outboxInsert->bindValue(u":table"_s, tables()[std::size_t(row.table)].name);
            m_outboxInsert->bindValue(u":key"_s, row.key);
            m_outboxInsert->bindValue(u":place"_s, row.place);
            if (!m_outboxInsert->exec()) return rollBack(m_outboxInsert->lastError());
        }
    }
    // No server named: the rows are sent once one is (the sync worker fills
    // the outbox from the tables then).
    if (!m_outbox && !m_alreadySent && inserted) {
        QSqlQuery mark(db);
        if (!mark.exec(u"INSERT OR REPLACE INTO journal_state (key, value) VALUES ('outbox_incomplete', 1)"_s))
            return rollBack(mark.lastError());
    }
    if (!control.exec(u"COMMIT"_s)) return rollBack(control.lastError());
    return opened;
}

// A file that answers "corrupt" once may have met a passing fault: only a
// file that a fresh connection finds damaged too is moved aside.
bool LocalStore::reallyDamaged()
{
    close();
    Connection check(u"QSQLITE"_s);
    QSqlDatabase db = check.database();
    db.setDatabaseName(m_path);
    db.setConnectOptions(u"QSQLITE_OPEN_READONLY"_s);
    if (!db.open()) return classify(db.lastError(), true) == Fault::Damaged;
    QSqlQuery q(db);
    if (!q.exec(u"PRAGMA quick_check"_s)) return classify(q.lastError(), true) == Fault::Damaged;
    return !q.next() || q.value(0).toString() != u"ok";
}

// The damaged file, with its WAL, goes aside under a name with the date; it
// is never deleted.
bool LocalStore::moveAside(QString* aside, QString* detail)
{
    const QFileInfo info(m_path);
    const QString stampText = m_clock.now().toString(u"yyyy-MM-dd-HHmmss"_s);
    for (int n = 1;; ++n) {
        *aside = info.dir().filePath(info.completeBaseName() + u"-danneggiato-"_s + stampText +
                                     (n > 1 ? u"-"_s + QString::number(n) : QString()) + u"."_s + info.suffix());
        if (!QFileInfo::exists(*aside)) break;
    }
    if (!QFile::rename(m_path, *aside)) {
        *detail = u"impossibile spostare il file danneggiato"_s;
        return false;
    }
    for (const QString& suffix : {u"-wal"_s, u"-shm"_s})
        if (QFileInfo::exists(m_path + suffix)) QFile::rename(m_path + suffix, *aside + suffix);
    return true;
}

// What can still be read of the damaged file goes into the new one: the
// history stays in one place, and what was not yet sent is still sent.
// Reading stops at the first page that fails; the file aside keeps the rest.
void LocalStore::takeIn(Salvage& salvage)
{
    Connection old(u"QSQLITE"_s);
    QSqlDatabase from = old.database();
    from.setDatabaseName(salvage.aside);
    from.setConnectOptions(u"QSQLITE_OPEN_READONLY"_s);
    if (!from.open()) {
        salvage.unreadable = true;
        return;
    }
    // The entries still to send, when the old outbox reads whole; else
    // everything read is sent again and the server ignores what it has.
    std::optional<QSet<QString>> unsent;
    long long unsentCount = 0;
    {
        QSqlQuery q(from);
        QSet<QString> keys;
        bool whole = q.exec(u"SELECT entry_table, entry_key, place FROM outbox"_s);
        while (whole && q.next()) {
            keys.insert(q.value(0).toString() + u'\n' + q.value(1).toString() + u'\n' + q.value(2).toString());
            ++unsentCount;
        }
        if (whole && !q.lastError().isValid()) unsent = std::move(keys);
    }
    long long unsentRead = 0;
    std::vector<Row> keep, send;  // rows already sent are kept, not sent again
    QString detail;
    Salvage ignored;
    const auto flush = [&](std::vector<Row>& rows, bool toSend) {
        if (rows.empty()) return;
        m_alreadySent = !toSend;
        if (write(rows, &detail, &ignored) == Fault::None) salvage.rows += qsizetype(rows.size());
        m_alreadySent = false;
        rows.clear();
    };
    for (std::size_t t = 0; t < tables().size(); ++t) {
        const Table& table = tables()[t];
        const auto index = TableIndex(t);
        QSqlQuery q(from);
        q.setForwardOnly(true);
        if (!q.exec(u"SELECT "_s + table.columns.join(u", ") + u" FROM "_s + table.name)) continue;
        while (q.next()) {
            Row row(index, QString());
            for (int c = 0; c < table.columns.size(); ++c) row.set(table.columns[c], q.value(c));
            row.key = row.value(keyColumn(index)).toString();
            row.place = index == kOperations ? row.value(u"place"_s).toInt() : 0;
            const bool toSend =
                !unsent || unsent->contains(table.name + u'\n' + row.key + u'\n' + QString::number(row.place));
            if (toSend && unsent) ++unsentRead;
            std::vector<Row>& into = toSend ? send : keep;
            into.push_back(std::move(row));
            if (into.size() >= 500) flush(into, toSend);
        }
        flush(keep, false);
        flush(send, true);
    }
    if (unsent) salvage.unsentLost = std::max(0LL, unsentCount - unsentRead);
    salvage.unreadable = salvage.rows == 0 && unsentCount == 0 && !unsent;
}

}  // namespace journal

#pragma once

#include "journal/Database.h"
#include "journal/Rows.h"
#include "platform/Clock.h"

#include <QSqlQuery>
#include <QString>

#include <optional>
#include <vector>

#include <sys/types.h>

// The writer thread's connection to the local file.
namespace journal {

struct FileId {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileId&) const = default;
};
std::optional<FileId> fileId(const QString& path);

// What became of a damaged file's entries when it was moved aside.
struct Salvage {
    QString aside;         // where the damaged file went
    long long rows = 0;    // rows read from it into the new file
    long long unsentLost = 0;  // rows still to send that could not be read
    bool unreadable = false;   // nothing could be read at all
};

class LocalStore {
public:
    // `outbox`: a server is named, so what is written is also to be sent.
    LocalStore(QString path, platform::Clock& clock, bool outbox)
        : m_path(std::move(path)), m_clock(clock), m_outbox(outbox)
    {
    }

    // Opens the file; a damaged one is moved aside, a new one begun and
    // what could be read of the old one taken into it (Damaged, with the
    // new file open and `salvage` saying what happened). On any other fault
    // `detail` holds the database's words.
    Fault open(QString* detail, Salvage* salvage);
    // Writes the rows (and their outbox entries) in one transaction. A file
    // found damaged is moved aside and the rows written to a new one, which
    // takes in the old: Damaged then means written, with `salvage` filled.
    Fault write(const std::vector<Row>& rows, QString* detail, Salvage* salvage);
    void close();
    QSqlDatabase database() const { return m_connection.database(); }

private:
    bool reallyDamaged();
    bool moveAside(QString* aside, QString* detail);
    void takeIn(Salvage& salvage);
    Fault fail(const QSqlError& error, QString* detail)
    {
        *detail = error.text();
        return classify(error, true);
    }

    QString m_path;
    platform::Clock& m_clock;
    bool m_outbox;
    Connection m_connection;
    std::optional<FileId> m_id;
    std::vector<QSqlQuery> m_inserts;
    std::optional<QSqlQuery> m_outboxInsert;
    QString m_aside;  // a damaged file moved aside, not yet taken in
    bool m_alreadySent = false;  // rows taken in that the server has
};

}  // namespace journal

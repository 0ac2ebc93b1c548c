#pragma once

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>

// What a machine does to its own file on a school's word: erase a pupil
// (a tombstone read from the server), remove runs older than the school
// keeps them, and take the class lists the teacher made. Each erasure and
// removal is recorded in the file's journal_audit.
namespace journal {

struct Done {
    QDateTime at;
    QString by;  // "user@machine"
};

// Applies the server's tombstones not yet applied here: the runs whose pupil
// (the latest name typed for them) is the erased name go, with their rows.
// Returns the runs removed, or -1 on failure.
int applyTombstones(QSqlDatabase& local, const QSqlDatabase& server, const Done& done, QString* error);

// Removes runs started before the cutoff, and sheets printed before it.
// Returns the runs removed, or -1 on failure.
int removeRunsBefore(QSqlDatabase& local, qint64 cutoffMs, const Done& done, QString* error);

// Copies the server's class lists over the file's, row by row, the newer
// change winning. Returns false on failure.
bool takeClassLists(QSqlDatabase& local, const QSqlDatabase& server, QString* error);

}  // namespace journal

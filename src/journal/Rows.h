#pragma once

#include "journal/Database.h"

#include <QDateTime>
#include <QIODevice>
#include <QString>
#include <QVariant>

#include <utility>
#include <vector>

// The entries the writer hands from the window's thread to the local file,
// each a row of one of the shared tables with its values named by column.
namespace journal {

enum TableIndex { kRuns, kOperations, kRunEnds, kPupilNames, kSheets, kTableCount };

// Who writes: the copy's name, the operating-system user, the host.
struct Identity {
    QString copy;
    QString osUser;
    QString machine;
    // Looks the user up: it may wait on a directory service, so never on
    // the window's thread.
    static Identity ofThisProcess(const QString& copy);
};

struct Row {
    Row() = default;
    Row(TableIndex table, QString key, int place = 0) : table(table), key(std::move(key)), place(place) {}

    TableIndex table = kRuns;
    QString key;    // the row's key, as the outbox names it
    int place = 0;  // and, for operations, the place
    std::vector<std::pair<QString, QVariant>> values;
    bool wakesSync = false;  // the end of a run or a print job: worth sending now
    // When it happened; written out by the worker (ISO text and
    // milliseconds) into the columns named here, so that the window's
    // thread only reads the clock.
    QDateTime time;
    QString timeColumn;  // "started" fills started_at and started_ms
    bool identity = false;  // copy, os_user and machine, filled by the worker

    Row& set(const QString& column, QVariant value)
    {
        values.emplace_back(column, std::move(value));
        return *this;
    }
    QVariant value(const QString& column) const;
    // Fills the time and identity columns and makes every empty text "",
    // never NULL: every column is NOT NULL.
    void complete(const Identity& who);
    // The values in the table's column order; a column the row lacks is NULL.
    QVariantList ordered() const;
};

// "INSERT ... VALUES (...), (...) ON CONFLICT DO NOTHING" for `rows` rows,
// with positional placeholders in the table's column order.
QString insertStatement(const Table& table, int rows);

// Rows as bytes and back, for the spill file: the exact values, types and
// all. Reading stops at the first row that does not read whole.
void writeRows(QIODevice& out, const std::vector<Row>& rows);
std::vector<Row> readRows(QIODevice& in, bool* whole);

}  // namespace journal

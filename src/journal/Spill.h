#pragma once

#include "journal/Rows.h"

#include <QString>
#include <QStringList>

#include <vector>

// Entries the journal could not write when the program ended (a full disk,
// a folder made read-only) go to a spill file, beside the journal or else in
// the user's runtime folder, and are taken in at the next start. The files
// carry a name no user would choose and are made with O_EXCL, so the program
// only ever takes in and removes files it made. A spill is written under a
// name of its own and renamed once whole, so it is never seen half written.
namespace journal {

// Writes the rows to a new spill file for the journal at `journalPath`;
// returns its path, or empty when none could be written anywhere.
QString spill(const QString& journalPath, const std::vector<Row>& rows);

// The spill files waiting for that journal: regular files of the program's
// name pattern, owned by this user, with one link.
QStringList spillFiles(const QString& journalPath);

}  // namespace journal

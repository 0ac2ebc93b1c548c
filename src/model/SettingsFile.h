#pragma once

#include "model/AppState.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

// The settings file: "<executable base name>.dat" in the working directory,
// one line with the operation kind, the objective set and the level set.
namespace model {

struct StoredSettings {
    int16 operationKind;
    int16 objectiveSet;
    int16 levelSet;
};

inline QString settingsFileName(const QString& exeBaseName) { return exeBaseName + u".dat"; }

// The exact bytes written: " 1  2  1 " CR LF for 1, 2, 1.
QByteArray formatSettings(const StoredSettings& settings);

// Reads the three numbers in order, storing each as soon as it is read. On
// any failure the two sets become 1 and operationKind keeps what it had at
// that moment (the caller's value, or the number already read). Separators
// are runs of blanks, tabs, commas, CR and LF; a field is an optional sign
// and decimal digits that fit 16 bits; anything else is a failure. Returns
// whether all three were read. What follows the third number is ignored.
bool parseSettings(QByteArrayView content, StoredSettings& settings);

// parseSettings on the file's first MiB. Anything but a regular file (a
// missing file, a folder, a pipe, a device, a link loop) reads as empty and
// so falls back; the file is never waited on.
bool readSettings(const QString& path, StoredSettings& settings);

// Puts a new file with the line under the name when the name is missing, a
// regular file the user may write, or a link. A link is never followed: the
// name becomes a regular file and whatever the link led to is left as it
// was; a file that is also another name (a hard link) is not written either,
// its other name keeps the old line. A folder, a pipe, a device or a socket
// under the name is left alone and the save fails. The file is replaced
// atomically where its folder lets a temporary file be made beside it, and
// rewritten in place where the folder does not but the name is its own
// regular file with no other name and may be written. Either way a failed
// save leaves the previous line whole. Returns whether the file was written.
bool writeSettings(const QString& path, const StoredSettings& settings);

// Removes the temporary files that saves of this file cut short (a killed
// program) left in the file's own folder, and nothing else: see
// platform::removeSaveLeftovers.
void removeSaveLeftovers(const QString& path, const QDateTime& now);

}  // namespace model

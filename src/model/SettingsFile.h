#pragma once

#include "model/AppState.h"

#include <QByteArray>
#include <QByteArrayView>
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

// Replaces the whole file when the name is a regular file or missing. A link
// is followed only to a regular file, which is then replaced, not the link;
// anything else under the name (a pipe, a device, a folder, a link to one of
// those or to nothing) is left alone and the save fails. The file is replaced
// atomically where its folder lets a temporary file be made beside it, and
// rewritten in place where the folder does not but the file may be written.
// Either way a failed save leaves the previous line whole. Returns whether
// the file was written.
bool writeSettings(const QString& path, const StoredSettings& settings);

// Removes what saves of this file cut short (a killed program) left beside
// it: regular files named after it with a dot and six letters, as the atomic
// save names its temporary files. Nothing else is touched.
void removeSaveLeftovers(const QString& path);

}  // namespace model

#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <sys/types.h>

#include <optional>

// Who may read what the program makes in its data folder: the user alone
// (the default), or the folder's group too, when a school that shares one
// group-owned folder says so in registro.conf with "cartella = condivisa".
// The program's umask and the launcher's folder mode follow it.
namespace platform {

enum class FolderSharing { Private, Shared };

inline const QString kFolderSharingKey = QStringLiteral("cartella");

// "privata" or "condivisa"; nothing for any other value.
std::optional<FolderSharing> parseFolderSharing(QStringView value);

// The "cartella = ..." line of registro.conf's text (the key in any case, on
// a line of its own); Private when there is none or its value is not valid.
FolderSharing folderSharingIn(QByteArrayView conf);

// The same from the file, read once and never waited on: a missing or odd
// file is Private.
FolderSharing readFolderSharing(const QString& confPath);

// 077, or 007 for a shared folder.
mode_t umaskFor(FolderSharing sharing);

}  // namespace platform

#pragma once

#include "platform/FolderSharing.h"

#include <QProcessEnvironment>
#include <QString>

#include <optional>

// Where the journal lives: always a local SQLite file in the working folder,
// and, when a school names one, a PostgreSQL server the entries are sent on to.
namespace journal {

inline const QString kLocalFileName = QStringLiteral("registro.sqlite");
inline const QString kConfFileName = QStringLiteral("registro.conf");
inline const QString kServerVariable = QStringLiteral("ARITMETICA_REGISTRO");
// registro.conf's "classe = 3A": the class whose pupils "Chi sei?" offers.
inline const QString kClassKey = QStringLiteral("classe");

// A school's server. The password is never stored here: libpq finds it in
// ~/.pgpass or the file PGPASSFILE names.
struct ServerSettings {
    QString host;  // a host name, an address, or a socket folder (starting with /)
    int port = 5432;
    QString database;
    QString user;         // the pupils' machines' role: insert only
    QString teacherUser;  // the teacher's role for reading; empty: the same as user
    // libpq's own names. Empty sslmode: "verify-full" when a CA file is
    // named, "require" for a server over the network, libpq's default for a
    // socket folder or this machine.
    QString sslMode;
    QString sslRootCert;
    // What libpq is told: the settings' sslmode, or the default above.
    QString effectiveSslMode() const;
    // "cartella": who may read the data folder's files (the program and the
    // launcher read it from registro.conf themselves, before any file is made).
    platform::FolderSharing folder = platform::FolderSharing::Private;
    // "conserva = 2 anni" (or "18 mesi"): runs older than this many months
    // are removed; 0 keeps them all.
    int keepMonths = 0;
    // "classe": the class this machine serves; empty: every class.
    QString className = {};
};

struct Location {
    QString localFile;                    // absolute path of registro.sqlite
    std::optional<ServerSettings> server;  // none: the local file only
    // Why a named server was not taken (unreadable or malformed settings), in
    // Italian for the message box; empty when all is well.
    QString problem;
    // "conserva", read with or without a server: 0 keeps every run.
    int keepMonths = 0;
};

// Parses "key = value" lines (registro.conf) or "key=value" words separated
// by blanks or semicolons (the environment variable). Keys: host, port,
// database (or dbname), user, teacher, sslmode, sslrootcert, cartella,
// conserva.
// Returns the settings, or nullopt with `error` set; nullopt with `error`
// empty when the text names no server at all (a file that only says
// "cartella = condivisa"). An error names the line and the key, never a
// value: a value may be a password written by mistake.
std::optional<ServerSettings> parseServerSettings(const QString& text, QString* error);

// "2 anni", "1 anno", "18 mesi", "1 mese" as months; nullopt for anything else.
std::optional<int> parseKeepMonths(const QString& value);

// The journal of a working folder: ARITMETICA_REGISTRO wins over
// registro.conf; with neither (or an empty variable and no file) the local
// file only.
Location locate(const QString& workingDir, const QProcessEnvironment& environment);

// The class registro.conf in the working folder names ("classe = 3A"), with
// or without a server; empty when it names none.
QString servedClass(const QString& workingDir);

}  // namespace journal

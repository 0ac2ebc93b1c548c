#pragma once

#include "journal/Settings.h"

#include <QString>

// Why a school's server could not be used, in one Italian sentence a
// technician can act on: the host, the password file, the password or role,
// the database, the certificate. libpq's own words follow in brackets.
namespace journal {

struct ServerProblem {
    QString cause;  // a word for the cause: each is told once
    QString text;
};
ServerProblem serverProblem(const ServerSettings& server, const QString& libpqText);

}  // namespace journal

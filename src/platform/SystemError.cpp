#include "platform/SystemError.h"

#include <cerrno>

namespace platform {

namespace {

QString italianCause(int errnum)
{
    switch (errnum) {
    case ENOSPC: return QStringLiteral("il disco è pieno");
    case EDQUOT: return QStringLiteral("lo spazio concesso sul disco è esaurito");
    case EACCES:
    case EPERM: return QStringLiteral("permesso negato");
    case ENOENT: return QStringLiteral("il file o la cartella non esiste");
    case EROFS: return QStringLiteral("il disco è in sola lettura");
    default: return {};
    }
}

}  // namespace

QString systemErrorText(int errnum)
{
    if (errnum == 0)
        return {};
    const QString italian = italianCause(errnum);
    return italian.isEmpty() ? qt_error_string(errnum) : italian;
}

QString systemFailureMessage(const QString& sentence, int errnum)
{
    if (errnum == 0)
        return sentence + u'.';
    const QString italian = italianCause(errnum);
    if (italian.isEmpty())
        return sentence + u": " + qt_error_string(errnum) + u'.';
    return sentence + u": " + italian + u". (" + qt_error_string(errnum) + u')';
}

}  // namespace platform

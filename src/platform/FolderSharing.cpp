#include "platform/FolderSharing.h"

#include <QFile>
#include <QString>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// registro.conf is a few lines; anything larger is not one.
constexpr qsizetype kMaxConfBytes = 64 * 1024;

}  // namespace

std::optional<FolderSharing> parseFolderSharing(QStringView value)
{
    if (value == u"privata")
        return FolderSharing::Private;
    if (value == u"condivisa")
        return FolderSharing::Shared;
    return std::nullopt;
}

FolderSharing folderSharingIn(QByteArrayView conf)
{
    FolderSharing sharing = FolderSharing::Private;
    for (const QByteArray& raw : conf.toByteArray().split('\n')) {
        const QByteArray line = raw.trimmed();
        const qsizetype equals = line.indexOf('=');
        if (equals < 0 || line.startsWith('#'))
            continue;
        if (QString::fromUtf8(line.first(equals).trimmed()).compare(kFolderSharingKey, Qt::CaseInsensitive) != 0)
            continue;
        const QString value = QString::fromUtf8(line.sliced(equals + 1).trimmed());
        sharing = parseFolderSharing(value).value_or(FolderSharing::Private);
    }
    return sharing;
}

FolderSharing readFolderSharing(const QString& confPath)
{
    const int fd = ::open(QFile::encodeName(confPath).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return FolderSharing::Private;
    QByteArray text;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= kMaxConfBytes) {
        text.resize(qsizetype(info.st_size));
        const ssize_t n = ::read(fd, text.data(), std::size_t(text.size()));
        text.resize(n > 0 ? qsizetype(n) : 0);
    }
    ::close(fd);
    return folderSharingIn(text);
}

mode_t umaskFor(FolderSharing sharing)
{
    return sharing == FolderSharing::Shared ? 007 : 077;
}

}  // namespace platform

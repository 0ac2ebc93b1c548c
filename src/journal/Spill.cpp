#include "journal/Spill.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace journal {

using namespace Qt::Literals::StringLiterals;

namespace {

// Beside the journal: ".registro.sqlite.da-scrivere-<pid>-XXXXXX". In the
// runtime folder, the journal's path is told by a digest of it.
QString prefixBeside(const QString& journalPath)
{
    const QFileInfo info(journalPath);
    return info.dir().filePath(u"."_s + info.fileName() + u".da-scrivere-"_s);
}

QString prefixInRuntime(const QString& journalPath)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.startsWith(u'/')) return {};
    const QByteArray digest = QCryptographicHash::hash(QFile::encodeName(QFileInfo(journalPath).absoluteFilePath()),
                                                       QCryptographicHash::Sha256)
                                  .toHex()
                                  .left(16);
    return QDir(runtime).filePath(u"aritmetica-registro-"_s + QString::fromLatin1(digest) + u"-da-scrivere-"_s);
}

QString writeSpill(const QString& prefix, const std::vector<Row>& rows)
{
    if (prefix.isEmpty()) return {};
    QByteArray name = QFile::encodeName(prefix + QString::number(::getpid()) + u"-XXXXXX"_s);
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);  // O_EXCL, mode 0600
    if (fd < 0) return {};
    QFile file;
    bool ok = file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle);
    if (ok) {
        writeRows(file, rows);
        ok = file.flush() && file.error() == QFileDevice::NoError && ::fsync(fd) == 0;
        file.close();
    } else {
        ::close(fd);
    }
    if (!ok) {
        ::unlink(name.constData());
        return {};
    }
    return QFile::decodeName(name);
}

bool ownSpillFile(const QString& path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode) &&
           info.st_nlink == 1 && info.st_uid == ::geteuid();
}

void collect(const QString& prefix, QStringList& out)
{
    if (prefix.isEmpty()) return;
    const QFileInfo info(prefix);
    const QString stem = info.fileName();
    for (const QString& name : QDir(info.path()).entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (name.startsWith(stem) && ownSpillFile(info.dir().filePath(name))) out << info.dir().filePath(name);
}

}  // namespace

QString spill(const QString& journalPath, const std::vector<Row>& rows)
{
    QString written = writeSpill(prefixBeside(journalPath), rows);
    if (written.isEmpty()) written = writeSpill(prefixInRuntime(journalPath), rows);
    return written;
}

QStringList spillFiles(const QString& journalPath)
{
    QStringList files;
    collect(prefixBeside(journalPath), files);
    collect(prefixInRuntime(journalPath), files);
    files.sort();
    return files;
}

}  // namespace journal

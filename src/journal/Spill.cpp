#include "journal/Spill.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace journal {

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr auto kWaiting = u"da-scrivere-";
constexpr auto kBeingWritten = u"in-scrittura-";

// Beside the journal: ".registro.sqlite.da-scrivere-<pid>-XXXXXX". In the
// runtime folder, the journal's path is told by a digest of it. `state` is
// kWaiting for whole spills, kBeingWritten while one is written.
QString prefixBeside(const QString& journalPath, QStringView state = kWaiting)
{
    const QFileInfo info(journalPath);
    return info.dir().filePath(u"."_s + info.fileName() + u"."_s + state);
}

QString prefixInRuntime(const QString& journalPath, QStringView state = kWaiting)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.startsWith(u'/')) return {};
    const QByteArray digest = QCryptographicHash::hash(QFile::encodeName(QFileInfo(journalPath).absoluteFilePath()),
                                                       QCryptographicHash::Sha256)
                                  .toHex()
                                  .left(16);
    return QDir(runtime).filePath(u"aritmetica-registro-"_s + QString::fromLatin1(digest) + u"-"_s + state);
}

// Never over another file: a rename where the file system can refuse to
// replace, a second name and the first removed where it cannot (NFS).
bool renameWithoutReplacing(const QByteArray& from, const QByteArray& to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    if (::link(from.constData(), to.constData()) != 0) return false;
    ::unlink(from.constData());
    return true;
}

void syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Written whole and synced under the name of one being written, then renamed
// to the waiting name with the same ending: a copy starting meanwhile never
// sees the file half written.
QString writeSpill(const QString& prefix, const QString& writingPrefix, const std::vector<Row>& rows)
{
    if (prefix.isEmpty()) return {};
    const QString ending = QString::number(::getpid()) + u"-"_s;
    for (int attempt = 0; attempt < 3; ++attempt) {
        QByteArray name = QFile::encodeName(writingPrefix + ending + u"XXXXXX"_s);
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
        const QString waiting = prefix + ending + QFile::decodeName(name.right(6));
        if (ok && renameWithoutReplacing(name, QFile::encodeName(waiting))) {
            syncFolder(QFileInfo(waiting).path());
            return waiting;
        }
        const bool taken = ok && errno == EEXIST;  // that ending is another spill's: try another
        ::unlink(name.constData());
        if (!taken) return {};
    }
    return {};
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
    QString written = writeSpill(prefixBeside(journalPath), prefixBeside(journalPath, kBeingWritten), rows);
    if (written.isEmpty())
        written = writeSpill(prefixInRuntime(journalPath), prefixInRuntime(journalPath, kBeingWritten), rows);
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

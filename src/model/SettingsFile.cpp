#include "model/SettingsFile.h"

#include "platform/SafeFile.h"

#include <QFile>

#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace model {

namespace {

// A settings line is eleven bytes; anything this large is not a settings file.
constexpr qint64 kMaxBytesRead = 1 << 20;

bool isSeparator(char c) { return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n'; }

std::optional<int16> parseField(QByteArrayView field)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
        negative = field[i] == '-';
        ++i;
    }
    if (i == field.size())
        return std::nullopt;
    int value = 0;
    for (; i < field.size(); ++i) {
        const char c = field[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > 32768)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > 32767)
        return std::nullopt;
    return int16(value);
}

// The first kMaxBytesRead bytes of a regular file, or nothing. Opened without
// blocking and checked on the open descriptor rather than by name first, so
// that a pipe in the file's place, even one swapped in at the last moment,
// cannot hold the program.
QByteArray readRegularFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return {};
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {};
    }
    return file.read(kMaxBytesRead);
}

// For a folder that allows no temporary file: the new line is written over
// the old bytes, then the rest is cut off. Nothing is cut first, and a reader
// stops at the third number, so the file holds the old line or the new one
// whatever fails. Only the name's own regular file with no other name is
// written: never through a link, never a file that is also another name.
bool rewriteInPlace(const QString& path, const QByteArray& line)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    const bool written = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_nlink == 1 &&
                         ::pwrite(fd, line.constData(), std::size_t(line.size()), 0) == line.size();
    if (written) {
        // A longer old line left behind would still read as the new one.
        [[maybe_unused]] const int cut = ::ftruncate(fd, line.size());
        ::fdatasync(fd);
    }
    ::close(fd);
    return written;
}

// Whether the name is already our own regular file holding exactly this
// line, private to the user: then a save has nothing to do, and the window
// that follows it need not wait for the disk.
bool alreadyHolds(const QString& path, const QByteArray& line)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    QByteArray held(line.size() + 1, '\0');
    const bool same = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_nlink == 1 &&
                      info.st_uid == ::geteuid() && (info.st_mode & (S_IRWXG | S_IRWXO)) == 0 &&
                      info.st_size == line.size() &&
                      ::pread(fd, held.data(), std::size_t(held.size()), 0) == line.size() &&
                      held.left(line.size()) == line;
    ::close(fd);
    return same;
}

void appendNumber(QByteArray& out, int value)
{
    if (value >= 0)
        out += ' ';
    out += QByteArray::number(value);
    out += ' ';
}

}  // namespace

QByteArray formatSettings(const StoredSettings& settings)
{
    QByteArray out;
    appendNumber(out, settings.operationKind);
    appendNumber(out, settings.objectiveSet);
    appendNumber(out, settings.levelSet);
    out += "\r\n";
    return out;
}

bool parseSettings(QByteArrayView content, StoredSettings& settings)
{
    int16* const targets[] = {&settings.operationKind, &settings.objectiveSet, &settings.levelSet};
    int read = 0;
    qsizetype pos = 0;
    while (read < 3) {
        while (pos < content.size() && isSeparator(content[pos]))
            ++pos;
        if (pos == content.size())
            break;
        const qsizetype begin = pos;
        while (pos < content.size() && !isSeparator(content[pos]))
            ++pos;
        const std::optional<int16> value = parseField(content.sliced(begin, pos - begin));
        if (!value)
            break;
        *targets[read++] = *value;
    }
    if (read < 3) {
        settings.objectiveSet = 1;
        settings.levelSet = 1;
        return false;
    }
    return true;
}

bool readSettings(const QString& path, StoredSettings& settings)
{
    return parseSettings(readRegularFile(path), settings);
}

bool writeSettings(const QString& path, const StoredSettings& settings)
{
    const QByteArray line = formatSettings(settings);
    if (alreadyHolds(path, line))
        return true;
    // The umask decides who else may read it: no one, or the school's group.
    platform::SafeFile file(path, 0666);
    if (!file.open(QIODevice::WriteOnly))
        return rewriteInPlace(path, line);
    return file.write(line) == line.size() && file.commit();
}

void removeSaveLeftovers(const QString& path, const QDateTime& now)
{
    platform::removeSaveLeftovers(path, now);
}

}  // namespace model

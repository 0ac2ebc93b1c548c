#include "model/SettingsFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <optional>
#include <string_view>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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

// The file a save may replace, as it was when looked at.
struct SaveTarget {
    QString path;
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
};

// The name itself when it is missing or a regular file; the end of its links
// (followed as QSaveFile follows them) when that is a regular file; nothing
// otherwise.
std::optional<SaveTarget> saveTarget(const QString& path)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return errno == ENOENT ? std::optional(SaveTarget{path}) : std::nullopt;
    QString end = path;
    if (S_ISLNK(info.st_mode)) {
        QFileInfo link(path);
        for (int depth = 0; depth < 40 && link.isSymLink(); ++depth)
            link.setFile(link.symLinkTarget());
        end = link.filePath();
        if (::lstat(QFile::encodeName(end).constData(), &info) != 0)
            return std::nullopt;  // a link to nothing
    }
    if (!S_ISREG(info.st_mode))
        return std::nullopt;
    return SaveTarget{end, true, info.st_dev, info.st_ino};
}

// Still what it was when looked at: the same regular file, or still nothing.
bool unchanged(const SaveTarget& target)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(target.path).constData(), &info) != 0)
        return !target.exists && errno == ENOENT;
    return target.exists && S_ISREG(info.st_mode) && info.st_dev == target.device && info.st_ino == target.inode;
}

enum class Saved { Yes, No, NoTemporaryFile };

Saved saveAtomically(const SaveTarget& target, const QByteArray& line)
{
    QSaveFile file(target.path);
    // Unbuffered: QSaveFile::commit() does not notice a write that fails only
    // when its buffer is flushed, and would replace the file with an empty one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Saved::NoTemporaryFile;
    // Swapped for a link meanwhile, the name would have been followed.
    if (!unchanged(target) || file.write(line) != line.size()) {
        file.cancelWriting();
        return Saved::No;
    }
    return file.commit() ? Saved::Yes : Saved::No;
}

// For a folder that allows no temporary file: the new line is written over
// the old bytes, then the rest is cut off. Nothing is cut first, and a reader
// stops at the third number, so the file holds the old line or the new one
// whatever fails.
bool rewriteInPlace(const SaveTarget& target, const QByteArray& line)
{
    if (!target.exists)
        return false;
    const int fd = ::open(QFile::encodeName(target.path).constData(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    const bool written = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_dev == target.device &&
                         info.st_ino == target.inode &&
                         ::pwrite(fd, line.constData(), std::size_t(line.size()), 0) == line.size();
    if (written) {
        // A longer old line left behind would still read as the new one.
        [[maybe_unused]] const int cut = ::ftruncate(fd, line.size());
        ::fdatasync(fd);
    }
    ::close(fd);
    return written;
}

// "<file>." and six ASCII letters: QSaveFile's temporary names.
bool isTemporaryName(std::string_view name, std::string_view file)
{
    if (name.size() != file.size() + 7 || !name.starts_with(file) || name[file.size()] != '.')
        return false;
    for (const char c : name.substr(file.size() + 1))
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
            return false;
    return true;
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
    const std::optional<SaveTarget> target = saveTarget(path);
    if (!target)
        return false;
    const QByteArray line = formatSettings(settings);
    switch (saveAtomically(*target, line)) {
    case Saved::Yes: return true;
    case Saved::No: return false;
    case Saved::NoTemporaryFile: return rewriteInPlace(*target, line);
    }
    return false;
}

void removeSaveLeftovers(const QString& path)
{
    // The temporary files lie beside the file the saves replace.
    const std::optional<SaveTarget> target = saveTarget(path);
    const QFileInfo file(target ? target->path : path);
    const QByteArray name = QFile::encodeName(file.fileName());
    DIR* const folder = ::opendir(QFile::encodeName(file.path()).constData());
    if (!folder)
        return;
    while (const dirent* entry = ::readdir(folder)) {
        if (!isTemporaryName(entry->d_name, std::string_view(name.constData(), std::size_t(name.size()))))
            continue;
        struct stat info {};
        if (::fstatat(::dirfd(folder), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode))
            ::unlinkat(::dirfd(folder), entry->d_name, 0);
    }
    ::closedir(folder);
}

}  // namespace model

#include "platform/SafeFile.h"

#include "platform/SystemError.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <optional>
#include <string_view>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// The part of the final name a temporary name keeps: with the host, the pid
// and the number it stays inside the 255 bytes a name may have. Names made
// before the host was in them kept 200 bytes.
constexpr qsizetype kNameBytesKept = 150;
constexpr qsizetype kNameBytesKeptWithoutHost = 200;
constexpr qsizetype kHostBytes = 63;
constexpr char kMarker[] = ".tmp-aritmetica.";
// A save of another machine sharing the folder (a home on NFS) is taken for
// cut short only this long after its last write: its pid means nothing here.
constexpr qint64 kOtherHostsSeconds = 60 * 60;

// ".<name>.tmp-aritmetica.": followed by "<host>.<pid>.<n>", or by
// "<pid>.<n>" in names of earlier versions.
QByteArray temporaryPrefix(const QString& path, qsizetype kept = kNameBytesKept)
{
    return '.' + QFile::encodeName(QFileInfo(path).fileName()).left(kept) + kMarker;
}

bool hostByte(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

// This machine's name as a part of a file name: letters, digits, '-' and
// '_' only, so never a dot.
const QByteArray& thisHost()
{
    static const QByteArray host = [] {
        char name[256] = {};
        QByteArray out;
        if (::gethostname(name, sizeof name - 1) == 0)
            out = QByteArray(name).left(kHostBytes);
        for (char& c : out)
            if (!hostByte(c))
                c = '_';
        return out.isEmpty() ? QByteArray("_") : out;
    }();
    return host;
}

std::atomic<unsigned> nextNumber{1};

bool allDigits(std::string_view text)
{
    if (text.empty())
        return false;
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

struct Writer {
    pid_t pid = 0;
    std::optional<std::string_view> host;  // none in names of earlier versions
};

// "<pid>.<n>": the pid, or nothing.
std::optional<pid_t> pidAndNumber(std::string_view rest)
{
    const std::size_t dot = rest.find('.');
    if (dot == std::string_view::npos || dot > 9 || !allDigits(rest.substr(0, dot)) ||
        !allDigits(rest.substr(dot + 1)) || rest.size() - dot - 1 > 10)
        return std::nullopt;
    pid_t pid = 0;
    for (const char c : rest.substr(0, dot)) pid = pid * 10 + (c - '0');
    return pid > 0 ? std::optional(pid) : std::nullopt;
}

// Who wrote a temporary name of these prefixes (this version's and the
// earlier one's); nothing for any other name.
std::optional<Writer> writerOf(std::string_view name, const QByteArray& prefix, const QByteArray& old)
{
    const std::string_view start(prefix.constData(), std::size_t(prefix.size()));
    if (name.starts_with(start)) {
        const std::string_view rest = name.substr(start.size());
        const std::size_t dot = rest.find('.');
        if (dot != std::string_view::npos && dot > 0 && dot <= std::size_t(kHostBytes) &&
            std::all_of(rest.begin(), rest.begin() + std::ptrdiff_t(dot), hostByte))
            if (const auto pid = pidAndNumber(rest.substr(dot + 1)))
                return Writer{*pid, rest.substr(0, dot)};
    }
    const std::string_view oldStart(old.constData(), std::size_t(old.size()));
    if (name.starts_with(oldStart))
        if (const auto pid = pidAndNumber(name.substr(oldStart.size())))
            return Writer{*pid, std::nullopt};
    return std::nullopt;
}

// So that the new name survives a power cut; the file is whole either way.
void syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

// --- FileWriter -------------------------------------------------------------

FileWriter::~FileWriter()
{
    FileWriter::close();
}

bool FileWriter::openDescriptor(int fd)
{
    if (isOpen() || fd < 0) {
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    m_fd = fd;
    m_errno = 0;
    return QIODevice::open(WriteOnly | Unbuffered);
}

qint64 FileWriter::readData(char*, qint64)
{
    return -1;
}

qint64 FileWriter::writeData(const char* data, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::write(m_fd, data + done, std::size_t(size - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            setErrorNumber(n < 0 ? errno : ENOSPC);
            return -1;
        }
        done += n;
    }
    return done;
}

bool FileWriter::sync()
{
    if (m_fd < 0)
        return false;
    if (::fsync(m_fd) != 0) {
        setErrorNumber(errno);
        return false;
    }
    return m_errno == 0;
}

void FileWriter::close()
{
    if (isOpen())
        QIODevice::close();
    if (m_fd >= 0 && ::close(std::exchange(m_fd, -1)) != 0 && errno != EINTR)
        setErrorNumber(errno);  // some file systems say only here that the data did not fit
}

qint64 FileWriter::size() const
{
    struct stat info {};
    return m_fd >= 0 && ::fstat(m_fd, &info) == 0 ? qint64(info.st_size) : 0;
}

bool FileWriter::seek(qint64 pos)
{
    if (m_fd < 0 || ::lseek(m_fd, off_t(pos), SEEK_SET) < 0)
        return false;
    return QIODevice::seek(pos);
}

void FileWriter::setErrorNumber(int errnum)
{
    if (m_errno != 0 || errnum == 0)
        return;
    m_errno = errnum;
    setErrorString(systemErrorText(errnum));
}

// --- SafeFile ---------------------------------------------------------------

SafeFile::SafeFile(QString path, mode_t mode) : m_path(std::move(path)), m_mode(mode) {}

SafeFile::~SafeFile()
{
    cancelWriting();
}

bool SafeFile::open(OpenMode mode)
{
    const auto refuse = [this](int errnum) {
        setErrorNumber(errnum);
        return false;
    };
    if (isOpen() || !m_temporary.isEmpty() || (mode & ReadOnly) || !(mode & WriteOnly))
        return refuse(EINVAL);
    const QFileInfo where(m_path);
    if (where.fileName().isEmpty())
        return refuse(ENOENT);
    const QByteArray name = QFile::encodeName(m_path);
    struct stat info {};
    if (::lstat(name.constData(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return refuse(EISDIR);
        if (!S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode))
            return refuse(EINVAL);
        // As a file the user may not write cannot be changed in place.
        if (S_ISREG(info.st_mode) && ::faccessat(AT_FDCWD, name.constData(), W_OK, AT_EACCESS) != 0)
            return refuse(errno);
    } else if (errno != ENOENT) {
        return refuse(errno);
    }

    const QByteArray start = QFile::encodeName(where.path()) + '/' + temporaryPrefix(m_path) + thisHost() + '.' +
                             QByteArray::number(qint64(::getpid())) + '.';
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray candidate = start + QByteArray::number(nextNumber++);
        const int fd = ::open(candidate.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, m_mode);
        if (fd >= 0) {
            m_temporary = QFile::decodeName(candidate);
            return openDescriptor(fd);
        }
        if (errno != EEXIST)
            return refuse(errno);
    }
    return refuse(EEXIST);
}

bool SafeFile::commit()
{
    if (m_temporary.isEmpty() || handle() < 0) {
        setErrorNumber(EBADF);
        return false;
    }
    const bool written = errorNumber() == 0 && sync();
    close();
    const QByteArray temporary = QFile::encodeName(m_temporary);
    m_temporary.clear();
    if (!written || errorNumber() != 0 || ::rename(temporary.constData(), QFile::encodeName(m_path).constData()) != 0) {
        setErrorNumber(errno);
        ::unlink(temporary.constData());
        return false;
    }
    syncFolder(QFileInfo(m_path).path());
    return true;
}

void SafeFile::cancelWriting()
{
    close();
    if (!m_temporary.isEmpty())
        ::unlink(QFile::encodeName(std::exchange(m_temporary, QString())).constData());
}

// --- leftovers --------------------------------------------------------------

int removeSaveLeftovers(const QString& path, const QDateTime& now)
{
    DIR* const folder = ::opendir(QFile::encodeName(QFileInfo(path).path()).constData());
    if (!folder)
        return 0;
    const QByteArray prefix = temporaryPrefix(path);
    const QByteArray oldPrefix = temporaryPrefix(path, kNameBytesKeptWithoutHost);
    const std::string_view host(thisHost().constData(), std::size_t(thisHost().size()));
    const qint64 nowSeconds = now.toSecsSinceEpoch();
    int removed = 0;
    while (const dirent* entry = ::readdir(folder)) {
        const std::optional<Writer> writer = writerOf(entry->d_name, prefix, oldPrefix);
        if (!writer)
            continue;
        struct stat info {};
        if (::fstatat(::dirfd(folder), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode) ||
            info.st_nlink != 1 || info.st_uid != ::geteuid())
            continue;
        if (writer->host && *writer->host != host) {
            // Another machine's: its process cannot be asked about from here.
            if (nowSeconds - qint64(info.st_mtim.tv_sec) <= kOtherHostsSeconds)
                continue;
        } else if (::kill(writer->pid, 0) == 0 || errno != ESRCH) {
            // A copy still writing keeps its file; so does one this user may not even ask about.
            continue;
        }
        if (::unlinkat(::dirfd(folder), entry->d_name, 0) == 0)
            ++removed;
    }
    ::closedir(folder);
    return removed;
}

}  // namespace platform

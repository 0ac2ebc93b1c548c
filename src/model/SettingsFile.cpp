#include "model/SettingsFile.h"

#include <QFile>
#include <QSaveFile>

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
    QSaveFile file(path);
    // Unbuffered: QSaveFile::commit() does not notice a write that fails only
    // when its buffer is flushed, and would replace the file with an empty one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray line = formatSettings(settings);
    if (file.write(line) != line.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace model

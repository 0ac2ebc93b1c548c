#pragma once

#include <QDateTime>
#include <QIODevice>
#include <QString>

#include <sys/types.h>

// Files the program writes: straight to a descriptor with the system's error
// number kept (QFile keeps only its text), and whole files put in place
// under a name without ever writing through what the name was.
namespace platform {

// Writes to a descriptor it owns, unbuffered. errorNumber() is the errno of
// the first write or flush that failed, errorString() its cause in Italian.
class FileWriter : public QIODevice {
public:
    FileWriter() = default;
    ~FileWriter() override;
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    // Takes over fd, open for writing; false (and fd closed) when it cannot.
    bool openDescriptor(int fd);
    int handle() const { return m_fd; }
    int errorNumber() const { return m_errno; }
    // Puts what was written on the disk.
    bool sync();
    void close() override;
    qint64 size() const override;
    bool seek(qint64 pos) override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;
    void setErrorNumber(int errnum);

private:
    int m_fd = -1;
    int m_errno = 0;
};

// A new file under a name, put in place at once and whole: written as a
// temporary file of the name's own folder (never the folder a link points
// into), made anew with O_EXCL under a name only this program uses (with the
// machine's name and the pid in it), then renamed over the name. Whatever the
// name was, a link (to a file, a folder or nothing), a hard link to another
// file, a regular file, it becomes the new file, and nothing it led to is
// written. A name that is a folder, a pipe, a device or a socket is refused,
// and so is a regular file the user may not write. Until commit() the name
// keeps what it had; a file dropped uncommitted is removed.
class SafeFile final : public FileWriter {
public:
    // mode is narrowed by the process's umask.
    explicit SafeFile(QString path, mode_t mode = 0600);
    ~SafeFile() override;

    // Makes the temporary file; only WriteOnly is supported.
    bool open(OpenMode mode) override;
    // Flushes the file to the disk and renames it over the name.
    bool commit();
    // Removes the temporary file; the name keeps what it had.
    void cancelWriting();
    QString fileName() const { return m_path; }
    QString temporaryFileName() const { return m_temporary; }

private:
    QString m_path;
    mode_t m_mode;
    QString m_temporary;
};

// The temporary files of saves of path that were cut short (a program
// killed halfway) are removed: only files of the pattern SafeFile names them
// by, in path's own folder, regular, with one link, owned by this user. The
// name tells the machine and the process that wrote it: one of this machine
// goes once its process is gone; one of another machine sharing the folder
// once it is over an hour old by `now`. Returns how many were removed.
int removeSaveLeftovers(const QString& path, const QDateTime& now);

}  // namespace platform

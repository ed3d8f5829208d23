#include "fileio.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quillet {

Result openReadableFile(const QString &path, QFile &file)
{
    // Only a regular file has an end: a named pipe would hold the open until some writer
    // came, and a device such as /dev/zero never ends.
    const QFileInfo info(path);
    if (info.isDir())
        return Result::failure(QStringLiteral("it is a folder, not a file"));
    if (info.exists() && !info.isFile())
        return Result::failure(QStringLiteral("it is not a regular file"));
    // No GXT file can reach past its 32-bit offsets; refusing larger files keeps a stray
    // disk image from being read into memory.
    constexpr qint64 LargestGxt = (qint64(1) << 31) + (qint64(1) << 20);
    if (info.size() > LargestGxt)
        return Result::failure(QStringLiteral("the file is %1 bytes long, more than a GXT file can be").arg(info.size()));
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result::failure(file.errorString());
    return {};
}

Result readFileBytes(const QString &path, QByteArray &data)
{
    QFile file;
    Result opened = openReadableFile(path, file);
    if (!opened)
        return opened;
    data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Result::failure(file.errorString());
    return {};
}

namespace {

#ifdef Q_OS_UNIX
// The bytes that the new file holds now, read through its own descriptor.
bool readBack(int fd, qint64 size, QByteArray &out, QString &error)
{
    out.resize(size);
    for (qint64 done = 0; done < size;) {
        const ssize_t count = ::pread(fd, out.data() + done, size_t(size - done), off_t(done));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            error = count < 0 ? qt_error_string(errno) : QStringLiteral("the new file is shorter than what was written");
            return false;
        }
        done += count;
    }
    return true;
}
#endif

} // namespace

Result writeFileAtomically(const QString &path, const QByteArray &bytes,
                           const std::function<Result(const QByteArray &)> &verify)
{
#ifdef Q_OS_UNIX
    // QSaveFile gives the new file the old one's permissions as QFileInfo reports them, and
    // those mix in what the current user may do: root's save turned 0444 into 0644, and
    // anyone's save of a file writable through its group gained the owner's write bit.
    // The exact bits go onto the new file before it takes the old one's place. stat()
    // follows a link to the file the save will replace.
    struct stat old {};
    const bool replacesAFile = ::stat(QFile::encodeName(path).constData(), &old) == 0 && S_ISREG(old.st_mode);
#endif
    // Unbuffered: QSaveFile::commit() (Qt 6.4) does not notice when the flush of buffered
    // bytes fails, so a table small enough to sit in the buffer replaced the old file with
    // an empty one on a full disk, and the save said it had succeeded.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Result::failure(file.errorString());
    // A write that fills the disk stops short without a reason ("Unknown error"); writing
    // the rest then fails with the system's own, such as "No space left on device".
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 count = file.write(bytes.constData() + done, bytes.size() - done);
        if (count <= 0) {
            const QString reason = file.errorString();
            file.cancelWriting();
            return Result::failure(reason);
        }
        done += count;
    }
#ifdef Q_OS_UNIX
    if (replacesAFile && ::fchmod(file.handle(), old.st_mode & 07777) != 0) {
        const QString reason = qt_error_string(errno);
        file.cancelWriting();
        return Result::failure(reason);
    }
#endif
    if (verify) {
        // What is checked is what the new file holds, not what was meant to go into it.
        QByteArray written;
        QString error;
#ifdef Q_OS_UNIX
        if (!readBack(file.handle(), bytes.size(), written, error)) {
            file.cancelWriting();
            return Result::failure(QStringLiteral("the new file could not be read back: %1").arg(error));
        }
#else
        written = bytes;
#endif
        Result checked = verify(written);
        if (!checked) {
            file.cancelWriting();
            return checked;
        }
    }
    if (!file.commit())
        return Result::failure(file.errorString());
    return {};
}

} // namespace quillet

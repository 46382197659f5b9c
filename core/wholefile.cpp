#include "core/wholefile.h"

#include "core/korvelerror.h"
#include "resources/stringtable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel {
namespace {

// String-table ids of the messages.
enum : qint32 { MsgCannotWrite = 1437, MsgFolder = 1900, MsgNotRegular = 1901, MsgReadOnly = 1902 };

QString message(qint32 id, const QString& path, const QString& reason = {})
{
    // Both at once, so that a '%' in the name is never taken for a place holder.
    const QString shown = QDir::toNativeSeparators(path);
    return reason.isEmpty() ? LoadResString(id).arg(shown) : LoadResString(id).arg(shown, reason);
}

// The file that writing `path` replaces: the one a symbolic link names, even one not there yet.
QString resolved(const QString& path)
{
    const QFileInfo file(path);
    if (file.exists())
        return file.canonicalFilePath();
    if (file.isSymLink())
        return file.symLinkTarget();
    return file.absoluteFilePath();
}

} // namespace

WholeFile::WholeFile(const QString& path) : m_path(path), m_target(QFile::encodeName(resolved(path)))
{
    struct stat old {};
    const bool replaces = ::stat(m_target.constData(), &old) == 0;
    if (replaces) {
        if (S_ISDIR(old.st_mode))
            throw KorvelError(message(MsgFolder, m_path));
        if (!S_ISREG(old.st_mode))
            throw KorvelError(message(MsgNotRegular, m_path));
        // The bits count even for an account the system lets write anyway (root).
        if (!(old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) || ::access(m_target.constData(), W_OK) != 0)
            throw KorvelError(message(MsgReadOnly, m_path));
    } else if (errno != ENOENT) {
        throw KorvelError(message(MsgCannotWrite, m_path, qt_error_string(errno)));
    }

    // Beside the target, so that the rename stays on one file system and is atomic.
    const QFileInfo target(QFile::decodeName(m_target));
    for (int attempt = 0; m_fd < 0; ++attempt) {
        m_temporary = QFile::encodeName(
            QStringLiteral("%1/.%2.%3~").arg(target.absolutePath(), target.fileName())
                .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        m_fd = ::open(m_temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd < 0 && (errno != EEXIST || attempt == 20))
            throw KorvelError(message(MsgCannotWrite, m_path, qt_error_string(errno)));
    }
    if (replaces) {
        // Best effort: an account that may not give the file to its owner keeps it itself.
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid())
            static_cast<void>(::fchown(m_fd, old.st_uid, old.st_gid) == 0);
        if (::fchmod(m_fd, old.st_mode & 07777) != 0)
            fail(qt_error_string(errno));
    }
    QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

WholeFile::~WholeFile()
{
    discard();
}

qint64 WholeFile::readData(char*, qint64)
{
    return -1;
}

qint64 WholeFile::writeData(const char* data, qint64 size)
{
    if (m_fd < 0 || m_errno != 0)
        return -1;
    qint64 written = 0;
    while (written < size) {
        const ssize_t part = ::write(m_fd, data + written, static_cast<size_t>(size - written));
        if (part < 0 && errno == EINTR)
            continue;
        if (part <= 0) {
            m_errno = part < 0 ? errno : EIO;
            setErrorString(qt_error_string(m_errno));
            return -1;
        }
        written += part;
    }
    return written;
}

void WholeFile::commit()
{
    if (m_fd < 0)
        fail(QStringLiteral("already closed"));
    if (m_errno != 0)
        fail(qt_error_string(m_errno));
    if (::fsync(m_fd) != 0)
        fail(qt_error_string(errno));
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(m_temporary.constData());
        m_temporary.clear();
        fail(qt_error_string(error));
    }
    if (::rename(m_temporary.constData(), m_target.constData()) != 0)
        fail(qt_error_string(errno));
    m_temporary.clear();
    QIODevice::close();
    // The rename itself reaches the disk with the folder.
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(m_target)).absolutePath());
    if (const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

void WholeFile::Write(const QString& path, const QByteArray& bytes)
{
    WholeFile file(path);
    file.write(bytes);
    file.commit();
}

void WholeFile::fail(const QString& reason)
{
    discard();
    throw KorvelError(message(MsgCannotWrite, m_path, reason));
}

void WholeFile::discard() noexcept
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temporary.isEmpty())
        ::unlink(m_temporary.constData());
    m_temporary.clear();
    if (isOpen())
        QIODevice::close();
}

} // namespace korvel

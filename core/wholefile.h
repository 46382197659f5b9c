#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

namespace korvel {

// A file written whole or not at all: every file Korvel writes for the user goes through it.
// The bytes go to a temporary file in the target's folder; commit() checks every write, flushes
// the file to disk, closes it and only then renames it over the target. Any failure removes the
// temporary file, leaves an old file as it was and throws KorvelError naming the file and the
// system's reason. Only a regular file is replaced (a symbolic link is followed to the file it
// names): a folder, device, pipe, socket or read-only file is refused before anything is written.
// A replaced file keeps its permission bits.
//
// Use it as the device to stream into (QImage::save, QSvgGenerator, QPdfWriter), then commit();
// or write bytes at once with WholeFile::Write.
class WholeFile final : public QIODevice {
public:
    // Checks the target and creates the temporary file, open for writing; throws KorvelError.
    explicit WholeFile(const QString& path);
    ~WholeFile() override;

    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;

    // Puts the file in place when every byte was written; throws KorvelError otherwise.
    void commit();

    // True once a write failed (errorString() says why); commit() would throw.
    bool failed() const { return m_errno != 0; }

    // Writes `bytes` as the whole file `path`.
    static void Write(const QString& path, const QByteArray& bytes);

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    [[noreturn]] void fail(const QString& reason);
    void discard() noexcept;

    QString m_path;       // as given, for messages
    QByteArray m_target;  // the file replaced (a link resolved), local encoding
    QByteArray m_temporary;
    int m_fd = -1;
    int m_errno = 0;      // the first write's failure
};

} // namespace korvel

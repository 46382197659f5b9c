#pragma once

#include "core/hostinterfaces.h"

#include <QFile>
#include <QString>

namespace korvel {

// The host's log: one line per WriteLog, "yyyy-MM-dd HH:mm:ss.zzz message", appended to a file and
// echoed to standard error. When the file cannot be opened the lines still reach standard error.
class FileLog final : public HostLog {
public:
    explicit FileLog(const QString& path);

    void WriteLog(QString& message, qint32 level) override;

    QString path() const { return m_file.fileName(); }
    bool isWritingFile() const { return m_file.isOpen(); }

private:
    QFile m_file;
};

} // namespace korvel

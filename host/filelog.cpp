#include "host/filelog.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

namespace korvel {

FileLog::FileLog(const QString& path) : m_file(path)
{
    if (path.isEmpty())
        return;
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        std::fprintf(stderr, "korvel: cannot write the log file %s: %s\n", qPrintable(path),
                     qPrintable(m_file.errorString()));
}

void FileLog::WriteLog(QString& message, qint32 /*level*/)
{
    // One message is one line, whatever line breaks a driver's error text carries.
    QString flat = message;
    flat.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(u'\n', u' ').replace(u'\r', u' ');
    const QString line = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")) +
                         u' ' + flat + u'\n';
    const QByteArray bytes = line.toUtf8();
    if (m_file.isOpen()) {
        m_file.write(bytes);
        m_file.flush();
    }
    std::fputs(bytes.constData(), stderr);
    std::fflush(stderr);
}

} // namespace korvel

#include "host/addinlibrary.h"

#include "addin/cinterface.h"
#include "core/korvelerror.h"

#include <QCoreApplication>

namespace korvel {

AddinLibrary::AddinLibrary() = default;

AddinLibrary::~AddinLibrary()
{
    unload();
}

bool AddinLibrary::load(QString& error)
{
    QStringList candidates{QCoreApplication::applicationDirPath() + QStringLiteral("/korvel")};
#ifdef KORVEL_INSTALLED_LIBRARY_DIR
    candidates << QCoreApplication::applicationDirPath() +
                      QStringLiteral("/" KORVEL_INSTALLED_LIBRARY_DIR "/korvel");
#endif
#ifdef KORVEL_LIBRARY_DIR
    candidates << QStringLiteral(KORVEL_LIBRARY_DIR "/korvel");
#endif
    candidates << QStringLiteral("korvel");

    QStringList reasons;
    for (const QString& candidate : candidates) {
        m_library.setFileName(candidate);
        if (m_library.load())
            break;
        reasons << m_library.errorString();
    }
    if (!m_library.isLoaded()) {
        error = reasons.join(QStringLiteral("; "));
        return false;
    }

    using Create = cInterface* (*)();
    auto create = reinterpret_cast<Create>(m_library.resolve("CreateKorvelInterface"));
    if (!create) {
        error =
            QStringLiteral("%1 has no Korvel entry: %2").arg(m_library.fileName(), m_library.errorString());
        m_library.unload();
        return false;
    }
    m_entry.reset(create());
    return true;
}

qint32 AddinLibrary::StartMe(QString& startName, QVariant& hostObject, QVariant& startPara)
{
    if (!m_entry)
        throw KorvelError(QStringLiteral("The Korvel add-in is not loaded"));
    return m_entry->StartMe(startName, hostObject, startPara);
}

qint32 AddinLibrary::GetFormHwnd()
{
    if (!m_entry)
        throw KorvelError(QStringLiteral("The Korvel add-in is not loaded"));
    return m_entry->GetFormHwnd();
}

qint32 AddinLibrary::CloseMe()
{
    return m_entry ? m_entry->CloseMe() : 0;
}

void AddinLibrary::unload()
{
    m_entry.reset();
    if (m_library.isLoaded())
        m_library.unload();
}

} // namespace korvel

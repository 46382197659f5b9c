#include "host/hostobject.h"

#include "core/korvelerror.h"

namespace korvel {

HostObject::HostObject(QSqlDatabase database, QString staffId, std::unique_ptr<HostLog> log)
    : m_staffId(std::move(staffId)), m_services(std::make_unique<DatabaseServices>(std::move(database))),
      m_utility(std::make_unique<StandardUtility>()), m_log(std::move(log)),
      m_loader(std::make_unique<HostLoader>())
{
}

HostObject::~HostObject() = default;

QString HostObject::LoginStaffID()
{
    return m_staffId;
}

HostServices* HostObject::Services()
{
    return m_services.get();
}

korvel::HostUtility* HostObject::Utility()
{
    return m_utility.get();
}

HostLog* HostObject::Logger()
{
    if (!m_log)
        throw KorvelError(QStringLiteral("The host has no log"));
    return m_log.get();
}

QObject* HostObject::AddinLoader()
{
    return m_loader.get();
}

} // namespace korvel

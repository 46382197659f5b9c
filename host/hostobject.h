#pragma once

#include "core/hostinterfaces.h"
#include "host/databaseservices.h"
#include "host/hostloader.h"
#include "host/standardutility.h"

#include <QSqlDatabase>
#include <QString>
#include <memory>

namespace korvel {

// The host object handed to the add-in: the logged-in staff member, the services over one open
// database, the utilities, the log and the loader. It owns all of them; the add-in only points at
// them, so they live exactly as long as this object.
class HostObject final : public ObjInterFace {
public:
    // `database` must be open; `log` receives every error line of the add-in.
    HostObject(QSqlDatabase database, QString staffId, std::unique_ptr<HostLog> log);
    ~HostObject() override;

    QString LoginStaffID() override;
    HostServices* Services() override;
    korvel::HostUtility* Utility() override;
    HostLog* Logger() override;
    QObject* AddinLoader() override;

    // The same objects with their concrete types, for the host program and the tests.
    DatabaseServices& databaseServices() { return *m_services; }
    HostLoader& loader() { return *m_loader; }
    // The staff member's display name: StaffName from the Staff table, else the staff ID.
    QString staffName() { return m_services->StaffName(m_staffId); }

private:
    QString m_staffId;
    std::unique_ptr<DatabaseServices> m_services;
    std::unique_ptr<StandardUtility> m_utility;
    std::unique_ptr<HostLog> m_log;
    std::unique_ptr<HostLoader> m_loader;
};

} // namespace korvel

#include "host/addinsession.h"

#include "core/addinglobals.h"
#include "host/hostobject.h"

namespace korvel {

AddinSession::AddinSession(HostObject& host, const QString& startName)
{
    AddinGlobals& globals = Addin();
    globals.StartName = startName;
    globals.ObjInterFace = &host;
    globals.DBConnection = host.Services()->Connection();
    globals.HostUtility = host.Utility();
}

AddinSession::~AddinSession()
{
    AddinGlobals& globals = Addin();
    globals.DBConnection = QSqlDatabase();
    globals.ObjInterFace = nullptr;
    globals.HostUtility = nullptr;
    globals.StartName.clear();
}

} // namespace korvel

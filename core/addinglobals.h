#pragma once

#include "core/hostinterfaces.h"

#include <QPointer>
#include <QSqlDatabase>
#include <QString>

namespace korvel {

// The add-in's globals, one set per user-interface thread. Only cInterface writes them; every
// other part reads them. The host objects belong to the host; the add-in only points at them.
struct AddinGlobals {
    QString StartName;
    QPointer<korvel::ObjInterFace> ObjInterFace;
    QSqlDatabase DBConnection;
    QPointer<korvel::HostUtility> HostUtility;
};

// The calling thread's set of globals.
AddinGlobals& Addin();

// The host object, or KorvelError("...") when it has been released or was never set.
korvel::ObjInterFace& Host();
// The utility object, or KorvelError when there is none.
korvel::HostUtility& Utility();
// The host's services (connection, locks), or KorvelError when the host supplies none.
korvel::HostServices& Services();

} // namespace korvel

#include "addin/cinterface.h"

#include "core/addinglobals.h"
#include "core/errorlog.h"
#include "core/korvelerror.h"
#include "designer/frmmain.h"

namespace korvel {

qint32 cInterface::StartMe(QString& StartName, QVariant& ObjInterFace, QVariant& /*StartPara*/)
{
    AddinGlobals& globals = Addin();
    globals.StartName = StartName;

    auto* host = dynamic_cast<korvel::ObjInterFace*>(ObjInterFace.value<QObject*>());
    if (!host)
        throw KorvelError(QStringLiteral("StartMe: the ObjInterFace argument holds no host object"));
    globals.ObjInterFace = host;

    HostServices* services = host->Services();
    if (!services)
        throw KorvelError(QStringLiteral("StartMe: the host supplies no services"));
    const QSqlDatabase connection = services->Connection();
    if (!connection.isValid())
        throw KorvelError(QStringLiteral("StartMe: the host supplies no database connection"));
    globals.DBConnection = connection;

    korvel::HostUtility* utility = host->Utility();
    if (!utility)
        throw KorvelError(QStringLiteral("StartMe: the host supplies no utility object"));
    globals.HostUtility = utility;

    FrmMain::Instance();
    return 0;
}

qint32 cInterface::GetFormHwnd()
{
    return static_cast<qint32>(FrmMain::Instance().winId());
}

qint32 cInterface::CloseMe()
{
    AddinGlobals& globals = Addin();
    IgnoreErrors([&] { globals.DBConnection = QSqlDatabase(); });
    IgnoreErrors([&] { globals.ObjInterFace = nullptr; });
    IgnoreErrors([&] { globals.HostUtility = nullptr; });
    return 0;
}

qint32 cInterface::ShowMe(QString& /*StartName*/, QVariant& /*ShowPara*/)
{
    return 0;
}

qint32 cInterface::ToOtherRaise(QString& /*StartName*/, QVariant& /*Para*/)
{
    return 0;
}

} // namespace korvel

extern "C" Q_DECL_EXPORT korvel::cInterface* CreateKorvelInterface()
{
    return new korvel::cInterface();
}

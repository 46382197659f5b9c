#include "core/addinglobals.h"

#include "core/korvelerror.h"

namespace korvel {

AddinGlobals& Addin()
{
    thread_local AddinGlobals globals;
    return globals;
}

korvel::ObjInterFace& Host()
{
    auto* host = Addin().ObjInterFace.data();
    if (!host)
        throw KorvelError(QStringLiteral("The host object is not available"));
    return *host;
}

korvel::HostUtility& Utility()
{
    auto* utility = Addin().HostUtility.data();
    if (!utility)
        throw KorvelError(QStringLiteral("The host utility object is not available"));
    return *utility;
}

korvel::HostServices& Services()
{
    auto* services = Host().Services();
    if (!services)
        throw KorvelError(QStringLiteral("The host supplies no services object"));
    return *services;
}

QString describe(const std::exception& error)
{
    if (const auto* korvelError = dynamic_cast<const KorvelError*>(&error))
        return korvelError->description();
    return QString::fromLocal8Bit(error.what());
}

} // namespace korvel

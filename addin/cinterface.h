#pragma once

#include <QString>
#include <QVariant>
#include <QtGlobal>

namespace korvel {

// The add-in's public entry object, created by the host through CreateKorvelInterface(). Its
// operations are virtual so that a host that loads the library by name reaches them through the
// object alone, without linking against the library.
class cInterface {
public:
    virtual ~cInterface() = default;

    // Stores the start name and the host object, takes the database connection and the utility
    // object from the host and loads (without showing) the designer window. Always returns 0.
    // `ObjInterFace` must hold a korvel::ObjInterFace* (as QObject*); otherwise, and when the host
    // cannot supply its services, connection or utility, throws KorvelError, leaving the steps
    // already done in place and the window not loaded. `StartPara` is not used.
    virtual qint32 StartMe(QString& StartName, QVariant& ObjInterFace, QVariant& StartPara);
    // The designer window's native handle (its low 32 bits); loads the window first if needed.
    virtual qint32 GetFormHwnd();
    // Releases the connection, the host object and the utility object; ignores every error. Returns 0.
    virtual qint32 CloseMe();
    // Do nothing; return 0.
    virtual qint32 ShowMe(QString& StartName, QVariant& ShowPara);
    virtual qint32 ToOtherRaise(QString& StartName, QVariant& Para);
};

} // namespace korvel

// The one exported symbol: the host resolves it by name and owns the returned object.
extern "C" Q_DECL_EXPORT korvel::cInterface* CreateKorvelInterface();

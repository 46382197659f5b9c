#pragma once

#include <QString>

namespace korvel {

class HostObject;

// Installs the add-in globals for the calling thread exactly as cInterface::StartMe does
// (StartName, ObjInterFace, DBConnection from Services()->Connection(), HostUtility), without
// loading the designer window, and clears all four when it goes: for running the layers in the
// program itself (the commands on frames), in the benchmark and in the tests.
class AddinSession final {
public:
    explicit AddinSession(HostObject& host, const QString& startName = QStringLiteral("Korvel"));
    ~AddinSession();
    AddinSession(const AddinSession&) = delete;
    AddinSession& operator=(const AddinSession&) = delete;
};

} // namespace korvel

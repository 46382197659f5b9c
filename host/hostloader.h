#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

namespace korvel {

// The loader object the add-in reaches through ObjInterFace::AddinLoader(). When the designer
// window closes, the add-in calls ReleaseDll by name; the host then ends its event loop.
class HostLoader final : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Records the start name and emits releaseRequested.
    Q_INVOKABLE void ReleaseDll(const QString& startName);

    // The start names of every ReleaseDll call so far, in order.
    const QStringList& releasedNames() const { return m_released; }

signals:
    void releaseRequested(const QString& startName);

private:
    QStringList m_released;
};

} // namespace korvel

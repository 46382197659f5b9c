#pragma once

#include "document/framechange.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUndoStack>
#include <memory>

namespace korvel {

class FrameCommand;
class cWOrders;
class cWorder;

// One open frame: the frame's model in the frame list, its undo history and its lock. Every change
// of its flow is a FrameCommand run here; the document announces what each edit, undo and redo
// changed, so whatever shows the frame follows without being called.
//
// The history belongs to one reading of one frame object: when the frame is read again (after a
// save, a lock or unlock, changes dropped) or its list entry is replaced (the list re-read, the
// frame deleted and created anew), Follow() ends the history and announces the reload. A deleted
// frame's document is closed by its controller, so nothing of its history survives.
class FrameDocument final : public QObject {
    Q_OBJECT
public:
    FrameDocument(cWOrders& orders, const QString& frameID, QObject* parent = nullptr);
    ~FrameDocument() override;

    const QString& FrameID() const { return m_frameID; }
    // The frame this document follows; nullptr when its list entry is gone or was replaced by
    // another object or reading (call Follow()).
    cWorder* Frame() const;
    QUndoStack& History() { return m_history; }
    // True while the frame is listed, this user holds its lock and it was read in full.
    bool Editable() const;

    // Catches up with the frame list: when the frame was read again or replaced, the history ends
    // and Reloaded is announced. False when the frame is no longer listed.
    bool Follow();
    // Ends the history and announces a reload: the frame's flow was read afresh.
    void Reload();

    // Runs one command and records it; a command that altered nothing is dropped without touching
    // the history. What the model refused to add is returned (empty when all was done). False in
    // `ran` when the frame is gone.
    struct RunResult {
        bool ran = false;
        bool altered = false;
        QStringList refused;
    };
    RunResult Run(std::unique_ptr<FrameCommand> command);

    // Takes or gives back the frame's edit lock; 1 done, below 1 refused or failed (cWorder's
    // LockMe/UnlockMe results). A change of the lock is announced.
    qint32 Lock();
    qint32 Unlock();

    // Called by the commands after each change of the flow.
    void Announce(const FrameChange& change);

signals:
    // Steps or links came, changed or went (an edit, undo or redo).
    void Changed(const korvel::FrameChange& change);
    // The whole flow was read afresh; the history was emptied.
    void Reloaded();
    // This user gained or lost the frame's lock.
    void LockChanged(bool held);

private:
    void Adopt(cWorder* frame);

    cWOrders& m_orders;
    QString m_frameID;
    QUndoStack m_history;
    // The frame object and reading the history belongs to; compared, never dereferenced.
    const cWorder* m_followed = nullptr;
    qint64 m_reading = -1;
};

} // namespace korvel

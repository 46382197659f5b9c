#include "document/framedocument.h"

#include "document/framecommand.h"
#include "model/cworders.h"

namespace korvel {

FrameDocument::FrameDocument(cWOrders& orders, const QString& frameID, QObject* parent)
    : QObject(parent), m_orders(orders), m_frameID(frameID)
{
    Adopt(m_orders.OneWorkOrder(m_frameID));
}

FrameDocument::~FrameDocument()
{
    // The commands go with the history; nobody is to hear of it.
    m_history.disconnect();
    m_history.clear();
}

void FrameDocument::Adopt(cWorder* frame)
{
    m_followed = frame;
    m_reading = frame ? frame->ReadSerial() : -1;
}

cWorder* FrameDocument::Frame() const
{
    cWorder* frame = m_orders.OneWorkOrder(m_frameID);
    return frame && frame == m_followed && frame->ReadSerial() == m_reading ? frame : nullptr;
}

bool FrameDocument::Editable() const
{
    const cWorder* frame = Frame();
    return frame && frame->LockFlag() == 1 && frame->LoadFlag == 1 && frame->ReadError().isEmpty();
}

bool FrameDocument::Follow()
{
    cWorder* listed = m_orders.OneWorkOrder(m_frameID);
    if (listed && listed == m_followed && listed->ReadSerial() == m_reading)
        return true;
    Adopt(listed);
    m_history.clear();
    emit Reloaded();
    return listed != nullptr;
}

void FrameDocument::Reload()
{
    Adopt(m_orders.OneWorkOrder(m_frameID));
    m_history.clear();
    emit Reloaded();
}

FrameDocument::RunResult FrameDocument::Run(std::unique_ptr<FrameCommand> command)
{
    RunResult result;
    if (!Follow() || !Frame())
        return result;
    result.ran = true;
    // Run here first: a change that altered nothing is dropped without taking the redo history with
    // it, as the history's push would. The push then skips its own run of the command.
    command->redo();
    result.refused = command->Refused();
    if (command->isObsolete())
        return result;
    result.altered = true;
    command->SkipNextRedo();
    m_history.push(command.release());
    return result;
}

qint32 FrameDocument::Lock()
{
    cWorder* frame = m_orders.OneWorkOrder(m_frameID);
    if (!frame)
        return -1;
    const qint32 result = frame->LockMe();
    if (result > 0)
        emit LockChanged(true);
    return result;
}

qint32 FrameDocument::Unlock()
{
    cWorder* frame = m_orders.OneWorkOrder(m_frameID);
    if (!frame)
        return -1;
    const qint32 result = frame->UnlockMe();
    if (result > 0)
        emit LockChanged(false);
    return result;
}

void FrameDocument::Announce(const FrameChange& change)
{
    emit Changed(change);
}

} // namespace korvel

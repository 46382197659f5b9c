#include "host/layoutcommand.h"

#include "canvas/frameitems.h"
#include "core/errorlog.h"
#include "core/korvelerror.h"
#include "host/admincommands.h"
#include "model/cworder.h"
#include "model/flowcheck.h"
#include "model/flowlayout.h"
#include "model/framehistory.h"
#include "model/recordwriter.h"
#include "persistence/cdboperate.h"

#include <cstdio>

namespace korvel {
namespace {

enum : qint32 {
    MsgNoSuchFrame = 1438,
    MsgFrameUnreadable = 1442,
};

void print(const QString& text)
{
    std::fputs(qPrintable(text + u'\n'), stdout);
}

// The frame's lock, given back when the command ends, however it ends.
class HeldLock final {
public:
    explicit HeldLock(cWorder& frame) : m_frame(frame) {}
    ~HeldLock()
    {
        if (m_frame.LockFlag() == 1)
            IgnoreErrors([this] { m_frame.UnlockMe(); });
    }
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;

private:
    cWorder& m_frame;
};

} // namespace

QString LayoutCommandHelp()
{
    return QStringLiteral("korvel layout FRAME_ID\n\n"
                          "Lays the flow of a work order out automatically, left to right from Start to End, "
                          "and saves it as the window's Save does: one new version of the work order. Refused "
                          "while another session holds the work order's lock.");
}

int RunLayoutCommand(const QString& frameId)
{
    const qint32 exists = DBOperate().GetWorkOrderIDExists(frameId);
    if (exists == 0)
        throw KorvelError(LastLoggedError());
    if (exists != 1) {
        printError(QStringLiteral("korvel layout: ") + FormatMessage(MsgNoSuchFrame, {frameId}));
        return 2;
    }
    cWorder frame;
    frame.LoadList(frameId, QString(), false);
    const HeldLock lock(frame);
    if (frame.LockMe() != 1) {
        printError(LockedElsewhereMessage(frameId));
        return 1;
    }
    frame.LoadOne();
    if (!frame.ReadError().isEmpty() || frame.LoadFlag != 1)
        throw KorvelError(FormatMessage(MsgFrameUnreadable, {frameId, frame.ReadError()}));

    const StepPlaces places = ArrangedFlow(frame, LayoutBoxes(frame));
    for (const auto& [id, place] : places) {
        cNode* node = frame.AllNode().OneNode(id);
        // Only a step that really moves is changed, as a move in the window does.
        if (node->NodeLeft() != place.x())
            node->setNodeLeft(place.x());
        if (node->NodeTop() != place.y())
            node->setNodeTop(place.y());
    }
    if (frame.CheckStatus() != 1) {
        print(QStringLiteral("%1 is laid out already; nothing to save.").arg(frameId));
        return 0;
    }
    if (frame.SaveMe() != 1) {
        printError(frame.SaveRefusal().isEmpty() ? LastLoggedError() : frame.SaveRefusal());
        return 1;
    }
    const QList<FrameVersionRow> versions = FrameHistory::Versions(frameId);
    print(QStringLiteral("Laid out %1 (%2), stored as its version %3.")
              .arg(frameId,
                   places.size() == 1 ? QStringLiteral("1 step") : QStringLiteral("%1 steps").arg(places.size()),
                   QString::number(versions.isEmpty() ? 0 : versions.constFirst().version)));
    return 0;
}

} // namespace korvel

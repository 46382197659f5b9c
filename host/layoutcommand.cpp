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
#include "resources/stringtable.h"

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
    return QStringLiteral("korvel ") + LoadResString(2530) + QStringLiteral("\n\n") + LoadResString(2531);
}

int RunLayoutCommand(const QString& frameId)
{
    const qint32 exists = DBOperate().GetWorkOrderIDExists(frameId);
    if (exists == 0)
        throw KorvelError(LastLoggedError());
    if (exists != 1) {
        printError(FormatMessage(2489, {QStringLiteral("layout"), FormatMessage(MsgNoSuchFrame, {frameId})}));
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
        print(FormatMessage(2532, {frameId}));
        return 0;
    }
    if (frame.SaveMe() != 1) {
        printError(frame.SaveRefusal().isEmpty() ? LastLoggedError() : frame.SaveRefusal());
        return 1;
    }
    const QList<FrameVersionRow> versions = FrameHistory::Versions(frameId);
    print(FormatMessage(
        2533, {frameId, places.size() == 1 ? LoadResString(2534) : LoadResString(2535).arg(places.size()),
               QString::number(versions.isEmpty() ? 0 : versions.constFirst().version)}));
    return 0;
}

} // namespace korvel

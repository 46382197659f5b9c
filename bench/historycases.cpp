#include "bench/historycases.h"

#include "bench/probe.h"
#include "model/cworder.h"
#include "model/framediff.h"
#include "model/framefile.h"
#include "model/framehistory.h"
#include "persistence/connection.h"

namespace korvel::bench {
namespace {

QSqlDatabase Database()
{
    return Connection::Shared().database();
}

} // namespace

Measurement ListVersions(int versions)
{
    // The frame's history begins ("found"), then gets the rest, all with the same content.
    Check(FrameHistory::Versions(LargeFrameID).size() == 1, QStringLiteral("the history did not begin"));
    FrameVersions::ContentEncoder encoder;
    WriteFrameFile(ReadStoredFrame(LargeFrameID), [&encoder](QByteArrayView piece) { encoder.Add(piece); });
    const FrameVersions::StoredContent content = encoder.Finish();
    Connection connection = Connection::Shared();
    connection.BeginTrans();
    for (int v = 2; v <= versions; ++v) {
        FrameVersionRow row;
        row.frameId = LargeFrameID;
        row.version = v;
        row.kind = QStringLiteral("save");
        row.staffId = QStringLiteral("S0001");
        row.summary = StoredSummary({});
        row.frameName = QStringLiteral("Large flow");
        FrameVersions::Store(Database(), row, content);
    }
    connection.CommitTrans();

    Probe probe;
    probe.Start();
    const QList<FrameVersionRow> rows = FrameHistory::Versions(LargeFrameID);
    Measurement m = probe.Stop(QStringLiteral("%1 versions listed").arg(rows.size()));
    Check(rows.size() == versions && rows.first().version == versions,
          QStringLiteral("%1 versions listed instead of %2").arg(rows.size()).arg(versions));
    return m;
}

Measurement DiffVersions(int steps, bool load)
{
    cWorder frame;
    frame.LoadList(LargeFrameID, QStringLiteral("Large flow"));
    frame.LoadOne();
    Check(frame.LockMe() == 1 && FrameHistory::Versions(LargeFrameID).size() == 1,
          QStringLiteral("the large frame could not be locked or its history begun"));
    int n = 0, removed = 0;
    QStringList gone;
    for (const auto& [key, node] : frame.AllNode().AllNode()) {
        if (n % 10 == 1)
            node->setNodeLeft(node->NodeLeft() + 150);
        if (n % 10 == 2)
            node->setWorkOrderNodeName(node->WorkOrderNodeName() + QStringLiteral(" (changed)"));
        if (n++ % 100 == 3)
            gone << node->WorkOrderNode_ID();
    }
    for (const QString& id : std::as_const(gone)) {
        for (const auto& [key, link] : frame.AllLink().AllLinks())
            if (link->FatherNode_ID() == id || link->SonNode_ID() == id)
                link->DelMe();
        frame.AllNode().OneNode(id)->DelMe();
        ++removed;
    }
    Check(frame.SaveMe() == 1, QStringLiteral("the changed frame could not be saved"));

    FrameRecord older, newer;
    if (!load) {
        older = FrameHistory::Content(LargeFrameID, 1);
        newer = FrameHistory::Content(LargeFrameID, 2);
    }
    Probe probe;
    probe.Start();
    if (load) {
        older = FrameHistory::Content(LargeFrameID, 1);
        newer = FrameHistory::Content(LargeFrameID, 2);
    }
    const FrameDiff diff = DiffFrames(older, newer);
    Measurement m = probe.Stop(QStringLiteral("%1 steps changed or moved, %2 removed")
                                   .arg(diff.stepsChanged.size())
                                   .arg(diff.stepsRemoved.size()));
    Check(diff.stepsRemoved.size() == removed && diff.stepsChanged.size() >= steps / 5 - 2,
          QStringLiteral("the diff found %1 removed and %2 changed steps")
              .arg(diff.stepsRemoved.size())
              .arg(diff.stepsChanged.size()));
    return m;
}

} // namespace korvel::bench

#include "bench/reference.h"

#include "core/addinglobals.h"
#include "core/korvelerror.h"
#include "model/cworder.h"
#include "persistence/connection.h"
#include "persistence/sqltext.h"

#include <QHash>
#include <utility>
#include <vector>

namespace korvel::bench {
namespace {

const QString AddinName = QStringLiteral("Korvel");

void Require(qint32 result, const char* what)
{
    if (result < 1)
        throw KorvelError(QStringLiteral("the reference copy failed at %1").arg(QLatin1String(what)));
}

QString MapEnd(const QHash<QString, QString>& ids, const QString& step)
{
    if (step == QLatin1String("BEGIN") || step == QLatin1String("END"))
        return step;
    return ids.value(step);
}

} // namespace

QString ReferenceNodeID()
{
    // Each candidate goes the way the original went: the shared connection fetched, the ID quoted,
    // the count read through the host's utility.
    for (qint64 counter = 1;; ++counter) {
        const QString candidate =
            QStringLiteral("N") + QString::number(counter).rightJustified(5, QLatin1Char('0'));
        auto rs = Connection::Shared().OpenRecordset(
            QStringLiteral("select count(*) from Two_Node Where WorkOrderNode_ID='%1'")
                .arg(SqlText(candidate)));
        const bool used = !rs->IsEOF() && Utility().FieldToLong(rs->Fields(0)) > 0;
        rs->Close();
        if (!used)
            return candidate;
    }
}

int ReferenceSaveas(cWorder& frame, const QString& newID, const QString& newName)
{
    Connection connection = Connection::Shared();
    bool locked = false;
    try {
        connection.BeginTrans();
        FrameValues header = frame.HeaderValues();
        header.WorkOrderFrame_ID = newID;
        header.WorkOrderFrameName = newName;
        Require(DBOperate().InsertWorkOrderFrame(header), "the header");
        locked = Host().Services()->LockRecord(AddinName, newID, Host().LoginStaffID()) == 1;

        QHash<QString, QString> ids; // old step ID -> new one; "" for a deleted step
        std::vector<NodeValues> laterReturnSteps;
        for (const auto& [key, node] : frame.AllNode().AllNode()) {
            if (node->CanLoadFlag() != 1) {
                if (!ids.contains(node->WorkOrderNode_ID()))
                    ids.insert(node->WorkOrderNode_ID(), QString());
                continue;
            }
            const QString step = ReferenceNodeID();
            ids.insert(node->WorkOrderNode_ID(), step);
            const QString returnStep = node->ReturnOldStepID();
            NodeValues copy = node->CopyValues(newID, step, ids.value(returnStep));
            Require(DBOperate().InsertNode(copy), "a step");
            if (!returnStep.isEmpty() && !ids.contains(returnStep)) {
                copy.ReturnOldStep = returnStep; // translated once every step has its new ID
                laterReturnSteps.push_back(copy);
            }
        }
        for (NodeValues& copy : laterReturnSteps) {
            copy.ReturnOldStep = ids.value(copy.ReturnOldStep);
            if (!copy.ReturnOldStep.isEmpty())
                Require(DBOperate().UpdateNode(copy), "a return step");
        }
        for (const auto& [key, link] : frame.AllLink().AllLinks()) {
            if (link->CanLoadFlag() != 1)
                continue;
            LinkValues copy = link->Values();
            copy.WorkOrderFrame_ID = newID;
            copy.SonNode_ID = MapEnd(ids, copy.SonNode_ID);
            copy.FatherNode_ID = MapEnd(ids, copy.FatherNode_ID);
            Require(DBOperate().InsertLinks(copy), "a link");
        }
        connection.CommitTrans();
        return 1;
    } catch (const std::exception&) {
        try {
            connection.RollbackTrans();
        } catch (const std::exception&) {
            // The failure that brought us here is what gets reported.
        }
        if (locked)
            Host().Services()->UnlockRecord(AddinName, newID, Host().LoginStaffID());
        return -1;
    }
}

} // namespace korvel::bench

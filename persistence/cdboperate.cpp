// cDBOperate, first half: node-ID checks, the lookup lists and the frame header statements.
// The node and link statements are in cdboperatenodes.cpp.
#include "persistence/cdboperate.h"

#include "core/addinglobals.h"
#include "core/errorlog.h"
#include "persistence/connection.h"
#include "persistence/framechanges.h"
#include "persistence/nodeidsearch.h"
#include "persistence/sqltext.h"
#include "persistence/statementrunner.h"

#include <optional>

namespace korvel {

cDBOperate& DBOperate()
{
    thread_local cDBOperate instance;
    return instance;
}

qint32 cDBOperate::getNodeExists(const QString& vID)
{
    qint32 result = 0;
    try {
        auto rs = Connection::Shared().OpenRecordset(
            R"(select count(*) from Two_Node Where WorkOrderNode_ID=')" + SqlText(vID) + R"(')");
        if (rs->IsEOF())
            result = -1;
        else
            result = Utility().FieldToLong(rs->Fields(0)) > 0 ? 1 : -1;
        rs->Close();
    } catch (const std::exception& e) {
        LogError(QStringLiteral("[Korvel]-[cDBOperate]-[getNodeExists]:"), e);
    }
    return result;
}

QString cDBOperate::GetNewNodeIDA()
{
    return NodeIdAllocator::FromDatabase().Next();
}

bool cDBOperate::GetAllNodeIDs(const std::function<void(QByteArrayView)>& take)
{
    try {
        Connection::Shared().ForEachText(QStringLiteral("select WorkOrderNode_ID from Two_Node"), take);
        return true;
    } catch (const std::exception& error) {
        LogError(QStringLiteral("[Korvel]-[cDBOperate]-[GetAllNodeIDs]:"), error);
        return false;
    }
}

std::unique_ptr<Recordset> cDBOperate::GetCodePriority()
{
    return QueryOrNothing(QStringLiteral("[Korvel]-[cDBOperate]-[GetCodePriority]:"), [] {
        return QStringLiteral(R"(select Priority_ID,PriorityDescription   from SYSC_Priority)");
    });
}

std::unique_ptr<Recordset> cDBOperate::GetWorkOrderType()
{
    return QueryOrNothing(QStringLiteral("[Korvel]-[cDBOperate]-[GetWorkOrderType]:"),
                          [] { return QStringLiteral(R"(select ID,Description  from Sysc_WoCategory)"); });
}

std::unique_ptr<Recordset> cDBOperate::GetAddinBuild()
{
    return QueryOrNothing(QStringLiteral("[Korvel]-[cDBOperate]-[GetAddinBuild]:"),
                          [] { return QStringLiteral(R"(Select Group_IDA,GroupName  from Tab_Group)"); });
}

std::unique_ptr<Recordset> cDBOperate::GetAllWorkOrderList()
{
    return QueryOrNothing(QStringLiteral("[Korvel]-[cDBOperate]-[GetAllWorkOrderList]:"), [] {
        return QStringLiteral(R"(Select WorkOrderFrame_ID,WorkOrderFrameName from TWO_Frame)");
    });
}

qint32 cDBOperate::GetWorkOrderIDExists(const QString& vFrameID)
{
    qint32 result = 0;
    try {
        auto rs = Connection::Shared().OpenRecordset(
            R"(Select WorkOrderFrame_ID,WorkOrderFrameName from TWO_Frame Where WorkOrderFrame_ID=')" +
            SqlText(vFrameID) + R"(')");
        result = rs->RecordCount() > 0 ? 1 : -1;
        rs->Close();
    } catch (const std::exception& e) {
        LogError(QStringLiteral("[Korvel]-[cDBOperate]-[GetWorkOrderIDExists]:"), e);
    }
    return result;
}

std::unique_ptr<Recordset> cDBOperate::GetAllObjectiveTypeList()
{
    return QueryOrNothing(QStringLiteral("[Korvel]-[cDBOperate]-[GetAllObjectiveTypeList]:"), [] {
        return QStringLiteral(R"(select ObjectiveType_ID,ObjectiveTypeDescription  from objectivetype)");
    });
}

std::unique_ptr<Recordset> cDBOperate::GetOneWorkOrder(const QString& vWorkOrderID)
{
    return QueryOrNothing(QStringLiteral("[Korvel]-[cDBOperate]-[GetOneWorkOrder]:"), [&] {
        return R"(Select WorkOrderFrame_ID,WorkOrderFrameName,Category,Priority_ID,  ExpiredPeriod,ExpiredPeriodType_ID,CanSkip,AddinType,WEBLink,  Group_IDA,CanFullScreen,PrintFormat,CanGenerateOB,GenerateRate,  Group_IDA2 ,ReplyFlag ,ReplyMode ,ReplyAddress,ReplyFile,PRINTGROUP,REPLYGROUP,REPLYCONTENT,ForecastUnit,ForecastLen  From two_frame Where WorkOrderFrame_ID=')" +
               SqlText(vWorkOrderID) + R"(')";
    });
}

qint32 cDBOperate::InsertWorkOrderFrame(const FrameValues& v)
{
    return CommandOrFail(QStringLiteral("[Korvel]-[cDBOperate]-[InsertWorkOrderFrame]:"), [&] {
        return R"(Insert Into two_frame (WorkOrderFrame_ID,WorkOrderFrameName,Category,Priority_ID,  ExpiredPeriod,ExpiredPeriodType_ID,CanSkip,AddinType,WEBLink,  Group_IDA,CanFullScreen,PrintFormat,CanGenerateOB,GenerateRate,  Group_IDA2 , CreatedBy, CreatedDate, ModifiedBy, ModifiedDate,  ReplyFlag ,ReplyMode ,ReplyAddress,ReplyFile,PRINTGROUP,REPLYGROUP,  REPLYCONTENT,ForecastUnit,ForecastLen) values (')" +
               SqlText(v.WorkOrderFrame_ID) + R"(',')" + SqlText(v.WorkOrderFrameName) + R"(',')" +
               SqlText(v.Category) + R"(',')" + SqlText(v.Priority_ID) + R"(',)" +
               SqlNumber(v.ExpiredPeriod) + R"(,')" + SqlText(v.ExpirtedPeriodType_ID) + R"(',)" +
               SqlNumber(v.CanSkip) + R"(,)" + SqlNumber(v.AddinType) + R"(,')" + SqlText(v.WEBLink) +
               R"(',')" + SqlText(v.Group_IDA) + R"(',)" + SqlNumber(v.CanFullScreen) + R"(,')" +
               SqlText(v.PrintFormat) + R"(',)" + SqlNumber(v.CanGenerateOB) + R"(,)" +
               SqlNumber(v.GenerateRate) + R"(,')" + SqlText(v.Group_IDA2) + R"(',')" + SqlStaff() +
               R"(',')" + SqlNow() + R"(',')" + SqlStaff() + R"(',')" + SqlNow() + R"(',)" +
               SqlNumber(v.ReplyFlag) + R"(,)" + SqlNumber(v.ReplyMode) + R"(,')" + SqlText(v.ReplyAddress) +
               R"(',')" + SqlText(v.ReplyFile) + R"(',')" + SqlText(v.PrintGroup) + R"(',')" +
               SqlText(v.ReplyGroup) + R"(',')" + SqlText(v.ReplyContent) + R"(',')" +
               SqlText(v.ForecastUnit) + R"(',)" + SqlNumber(v.ForecastLen) + R"( ))";
    });
}

qint32 cDBOperate::UpdateWorkOrderFrame(const FrameValues& v)
{
    return RowCommandOrFail(QStringLiteral("[Korvel]-[cDBOperate]-[UpdateWorkOrderFrame]:"), [&] {
        return R"(Update Two_Frame Set WorkOrderFrameName=')" + SqlText(v.WorkOrderFrameName) +
               R"(',Category=')" + SqlText(v.Category) + R"(',Priority_ID=')" + SqlText(v.Priority_ID) +
               R"(',ExpiredPeriod=)" + SqlNumber(v.ExpiredPeriod) + R"(,ExpiredPeriodType_ID=')" +
               SqlText(v.ExpirtedPeriodType_ID) + R"(',CanSkip=)" + SqlNumber(v.CanSkip) + R"(,AddinType=)" +
               SqlNumber(v.AddinType) + R"(,WEBLink=')" + SqlText(v.WEBLink) + R"(',Group_IDA=')" +
               SqlText(v.Group_IDA) + R"(',CanFullScreen=)" + SqlNumber(v.CanFullScreen) +
               R"(,PrintFormat=')" + SqlText(v.PrintFormat) + R"(',CanGenerateOB=)" +
               SqlNumber(v.CanGenerateOB) + R"(,GenerateRate=)" + SqlNumber(v.GenerateRate) +
               R"(,Group_IDA2=')" + SqlText(v.Group_IDA2) + R"(', ModifiedBy=')" + SqlStaff() +
               R"(', ModifiedDate=')" + SqlNow() + R"(',ReplyFlag=)" + SqlNumber(v.ReplyFlag) +
               R"(,ReplyMode=)" + SqlNumber(v.ReplyMode) + R"(,ReplyAddress=')" + SqlText(v.ReplyAddress) +
               R"(',ReplyFile=')" + SqlText(v.ReplyFile) + R"(', PRINTGROUP=')" + SqlText(v.PrintGroup) +
               R"(', REPLYGROUP=')" + SqlText(v.ReplyGroup) + R"(', REPLYCONTENT=')" +
               SqlText(v.ReplyContent) + R"(', forecastUnit=')" + SqlText(v.ForecastUnit) +
               R"(', ForecastLen=)" + SqlNumber(v.ForecastLen) + R"( Where   WorkOrderFrame_ID=')" +
               SqlText(v.WorkOrderFrame_ID) + R"(')";
    });
}

qint32 cDBOperate::ClaimWorkOrderFrame(const QString& vWorkOrderFrame_ID)
{
    return RowCommandOrFail(QStringLiteral("[Korvel]-[cDBOperate]-[ClaimWorkOrderFrame]:"), [&] {
        return R"(Update Two_Frame Set ModifiedBy=')" + SqlStaff() + R"(', ModifiedDate=')" + SqlNow() +
               R"(' Where WorkOrderFrame_ID=')" + SqlText(vWorkOrderFrame_ID) + R"(')";
    });
}

qint32 cDBOperate::DeleteFrameFlow(const QString& vWorkOrderFrame_ID)
{
    const QString prefix = QStringLiteral("[Korvel]-[cDBOperate]-[DeleteFrameFlow]:");
    const QString id = SqlText(vWorkOrderFrame_ID);
    if (CommandOrFail(prefix, [&] { return R"(Delete from two_node Where WorkOrderFrame_ID=')" + id + R"(')"; }) < 1)
        return -1;
    return CommandOrFail(prefix, [&] { return R"(Delete from Two_Link  Where WorkOrderFrame_ID=')" + id + R"(')"; });
}

QString cDBOperate::GetStaffName(const QString& vStaffID)
{
    QString name;
    IgnoreErrors([&] {
        auto rs = Connection::Shared().OpenRecordset(R"(select StaffName from Staff Where Staff_ID=')" +
                                                     SqlText(vStaffID) + R"(')");
        if (!rs->IsEOF())
            name = Utility().FieldToString(rs->Fields(0)).trimmed();
        rs->Close();
    });
    return name.isEmpty() ? vStaffID : name;
}

std::unique_ptr<Recordset> cDBOperate::GetWorkOrderAudit(const QString& vWorkOrderID)
{
    return QueryOrNothing(QStringLiteral("[Korvel]-[cDBOperate]-[GetWorkOrderAudit]:"), [&] {
        return R"(Select CreatedBy,CreatedDate,ModifiedBy,ModifiedDate From two_frame Where WorkOrderFrame_ID=')" +
               SqlText(vWorkOrderID) + R"(')";
    });
}

qint32 cDBOperate::SetWorkOrderAudit(const QString& vWorkOrderFrame_ID, const FrameAudit& audit)
{
    return RowCommandOrFail(QStringLiteral("[Korvel]-[cDBOperate]-[SetWorkOrderAudit]:"), [&] {
        // No date is NULL: PostgreSQL's timestamp column takes no empty text.
        const auto date = [](const QString& d) { return d.isEmpty() ? QStringLiteral("NULL") : u'\'' + SqlText(d) + u'\''; };
        return R"(Update Two_Frame Set CreatedBy=')" + SqlText(audit.CreatedBy) + R"(',CreatedDate=)" +
               date(audit.CreatedDate) + R"(,ModifiedBy=')" + SqlText(audit.ModifiedBy) +
               R"(',ModifiedDate=)" + date(audit.ModifiedDate) + R"( Where WorkOrderFrame_ID=')" +
               SqlText(vWorkOrderFrame_ID) + R"(')";
    });
}

qint32 cDBOperate::DeleteWorkOrderFrame(const QString& vWorkOrderFrame_ID,
                                        const std::function<void(qint64 serial)>& keepFinalVersion)
{
    std::optional<Connection> connection;
    bool began = false;
    try {
        connection = Connection::Shared();
        connection->BeginTrans();
        began = true;
        const qint64 serial = FrameChanges::Record(connection->database(), vWorkOrderFrame_ID,
                                                   FrameChangeKind::Deleted, Host().LoginStaffID());
        if (keepFinalVersion)
            keepFinalVersion(serial);
        const QString id = SqlText(vWorkOrderFrame_ID);
        connection->Execute(R"(Delete from  two_frame  Where WorkOrderFrame_ID=')" + id + R"(')");
        connection->Execute(R"(Delete from two_node Where WorkOrderFrame_ID=')" + id + R"(')");
        connection->Execute(R"(Delete from Two_Link  Where WorkOrderFrame_ID=')" + id + R"(')");
        connection->CommitTrans();
        return 1;
    } catch (const std::exception& e) {
        if (began)
            IgnoreErrors([&] { connection->RollbackTrans(); });
        LogError(QStringLiteral("[Korvel]-[cDBOperate]-[DeleteWorkOrderFrame]:"), e);
        return -1;
    }
}

} // namespace korvel

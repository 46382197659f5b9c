// cDBOperate, second half: the node and link statements. None opens a transaction of its own;
// a frame's save and copy wrap their calls in one.
#include "persistence/cdboperate.h"

#include "persistence/sqltext.h"
#include "persistence/statementrunner.h"

namespace korvel {

std::unique_ptr<Recordset> cDBOperate::GetNodes(const QString& vWorkOrderID)
{
    return QueryOrNothing(QStringLiteral("[Korvel]-[cDBOperate]-[GetNodes]:"), [&] {
        return R"(Select WorkOrderFrame_ID,WorkOrderNode_ID,WorkOrderNodeName, ExpiredPeriod,ExpiredPeriodType_ID,CanSendBack,CanSendSelf, CanSkip,EmailNotify,SMSNotify, AddinType,WEBLink,  Group_IDA,CanFullScreen,HandleBy_ID,HandleGroup_ID,  ExpiredHandleBy_ID,ExpiredHandleGroup_ID ,NodeTop ,NodeLeft, Priority_ID,RefuseReply,CanClose,ContactCust,NextBeginTime , TickOffFlag,ReturnOldStep,CanModify,CanBackToBy,ToHandleby ,ReturnGroupFlag,ForecastUnit,ForecastLen  from two_node Where WorkOrderFrame_ID=')" +
               SqlText(vWorkOrderID) + R"(')";
    });
}

qint32 cDBOperate::InsertNode(const NodeValues& v)
{
    return CommandOrFail(QStringLiteral("[Korvel]-[cDBOperate]-[InsertNode]:"), [&] {
        return R"(Insert Into Two_node (WorkOrderFrame_ID,WorkOrderNode_ID,WorkOrderNodeName, ExpiredPeriod,ExpiredPeriodType_ID,CanSendBack,CanSendSelf, CanSkip,EmailNotify,SMSNotify, AddinType,WEBLink,  Group_IDA,CanFullScreen,HandleBy_ID,HandleGroup_ID,  ExpiredHandleBy_ID,ExpiredHandleGroup_ID,NodeTop , NodeLeft,Priority_ID,RefuseReply,CanClose,ContactCust, NextBeginTime,TickOffFlag,ReturnOldStep,CanModify,  CanBackToBy,ToHandleby,ReturnGroupFlag,ForecastUnit,ForecastLen ) values (')" +
               SqlText(v.WorkOrderFrame_ID) + R"(',')" + SqlText(v.WorkOrderNode_ID) + R"(',')" +
               SqlText(v.WorkOrderNodeName) + R"(',)" + SqlNumber(v.ExpiredPeriod) + R"(,')" +
               SqlText(v.ExpiredPeriodType_ID) + R"(',)" + SqlNumber(v.CanSendBack) + R"(,)" +
               SqlNumber(v.CanSendSelf) + R"(,)" + SqlNumber(v.CanSkip) + R"(,')" + SqlText(v.EmailNotify) +
               R"(',')" + SqlText(v.SMSNotify) + R"(',)" + SqlNumber(v.AddinType) + R"(,')" +
               SqlText(v.WEBLink) + R"(',')" + SqlText(v.Group_IDA) + R"(',)" + SqlNumber(v.CanFullScreen) +
               R"(,')" + SqlText(v.HandleBy_ID) + R"(',')" + SqlText(v.HandleGroup_ID) + R"(',')" +
               SqlText(v.ExpiredHandleBy_ID) + R"(',')" + SqlText(v.ExpiredHandleGroup_ID) + R"(',)" +
               SqlNumber(v.Top) + R"(,)" + SqlNumber(v.Left) + R"(,')" + SqlText(v.Priority_ID) + R"(',)" +
               SqlNumber(v.RefuseFlag) + R"(,)" + SqlNumber(v.CanClose) + R"(,)" + SqlNumber(v.ContactCust) +
               R"(,)" + SqlNumber(v.NextBeginTime) + R"(,)" + SqlNumber(v.TickOffFlag) + R"(,')" +
               SqlText(v.ReturnOldStep) + R"(',)" + SqlNumber(v.CanModify) + R"(,)" +
               SqlNumber(v.CanBackToBy) + R"(,')" + SqlText(v.ToMultiHandleBy) + R"(',)" +
               SqlNumber(v.ReturnGroupFlag) + R"(,')" + SqlText(v.ForecastUnit) + R"(',)" +
               SqlNumber(v.ForecastLen) + R"())";
    });
}

qint32 cDBOperate::UpdateNode(const NodeValues& v)
{
    return RowCommandOrFail(QStringLiteral("[Korvel]-[cDBOperate]-[UpdateNode]:"), [&] {
        return R"(Update Two_Node Set WorkOrderNodeName=')" + SqlText(v.WorkOrderNodeName) +
               R"(', ExpiredPeriod=)" + SqlNumber(v.ExpiredPeriod) + R"(,ExpiredPeriodType_ID=')" +
               SqlText(v.ExpiredPeriodType_ID) + R"(',CanSendBack=)" + SqlNumber(v.CanSendBack) +
               R"(,CanSendSelf=)" + SqlNumber(v.CanSendSelf) + R"(,CanSkip=)" + SqlNumber(v.CanSkip) +
               R"(,EmailNotify=')" + SqlText(v.EmailNotify) + R"(',SMSNotify=')" + SqlText(v.SMSNotify) +
               R"(', AddinType=)" + SqlNumber(v.AddinType) + R"(,WEBLink=')" + SqlText(v.WEBLink) +
               R"(',Group_IDA=')" + SqlText(v.Group_IDA) + R"(',CanFullScreen=)" +
               SqlNumber(v.CanFullScreen) + R"(,HandleBy_ID=')" + SqlText(v.HandleBy_ID) +
               R"(',HandleGroup_ID=')" + SqlText(v.HandleGroup_ID) + R"(',ExpiredHandleBy_ID=')" +
               SqlText(v.ExpiredHandleBy_ID) + R"(',ExpiredHandleGroup_ID=')" +
               SqlText(v.ExpiredHandleGroup_ID) + R"(',NodeTop=)" + SqlNumber(v.Top) + R"(,NodeLeft=)" +
               SqlNumber(v.Left) + R"(,Priority_ID=')" + SqlText(v.Priority_ID) + R"(' ,RefuseReply=)" +
               SqlNumber(v.RefuseFlag) + R"( ,CanClose=)" + SqlNumber(v.CanClose) + R"( ,ContactCust=)" +
               SqlNumber(v.ContactCust) + R"( ,NextBeginTime=)" + SqlNumber(v.NextBeginTime) +
               R"( ,TickOffFlag=)" + SqlNumber(v.TickOffFlag) + R"( ,ReturnOldStep=')" +
               SqlText(v.ReturnOldStep) + R"(',CanModify =)" + SqlNumber(v.CanModify) + R"( ,CanBackToBy=)" +
               SqlNumber(v.CanBackToBy) + R"( ,ToHandleby=')" + SqlText(v.ToMultiHandleBy) +
               R"('  ,ReturnGroupFlag=)" + SqlNumber(v.ReturnGroupFlag) + R"( ,ForecastUnit=')" +
               SqlText(v.ForecastUnit) + R"(',ForecastLen=)" + SqlNumber(v.ForecastLen) +
               R"( Where WorkOrderFrame_ID=')" + SqlText(v.WorkOrderFrame_ID) +
               R"(' And WorkOrderNode_ID =')" + SqlText(v.WorkOrderNode_ID) + R"(')";
    });
}

QVariant cDBOperate::DeleteNode(const QString& vWorkOrderFrame_ID, const QString& vWorkOrderNode_ID)
{
    const qint32 result = RowCommandOrFail(QStringLiteral("[Korvel]-[cDBOperate]-[DeleteNode]:"), [&] {
        return R"(Delete from Two_Node Where WorkOrderFrame_ID=')" + SqlText(vWorkOrderFrame_ID) +
               R"(' And WorkOrderNode_ID =')" + SqlText(vWorkOrderNode_ID) + R"(')";
    });
    return QVariant::fromValue(static_cast<qint16>(result));
}

std::unique_ptr<Recordset> cDBOperate::GetLinks(const QString& vWorkOrderID)
{
    return QueryOrNothing(QStringLiteral("[Korvel]-[cDBOperate]-[GetLinks]:"), [&] {
        return R"(select WorkOrderFrame_ID,WorkOrderLink_ID,WorkOrderLinkName, SonNode_ID,FatherNode_ID,AlwaysOpen,AddinVariant,  CompareType,VariantValue    from two_link Where WorkOrderFrame_ID=')" +
               SqlText(vWorkOrderID) + R"(')";
    });
}

qint32 cDBOperate::InsertLinks(const LinkValues& v)
{
    return CommandOrFail(QStringLiteral("[Korvel]-[cDBOperate]-[InsertLinks]:"), [&] {
        return R"(Insert Into Two_link (WorkOrderFrame_ID,WorkOrderLink_ID,WorkOrderLinkName, SonNode_ID,FatherNode_ID,AlwaysOpen,AddinVariant,  CompareType,VariantValue) values (')" +
               SqlText(v.WorkOrderFrame_ID) + R"(',')" + SqlText(v.WorkOrderLink_ID) + R"(',')" +
               SqlText(v.WorkOrderLinkName) + R"(',')" + SqlText(v.SonNode_ID) + R"(',')" +
               SqlText(v.FatherNode_ID) + R"(',)" + SqlNumber(v.AlwaysOpen) + R"(,')" +
               SqlText(v.AddinVariant) + R"(',')" + SqlText(v.CompareType) + R"(',')" +
               SqlText(v.VariantValue) + R"('))";
    });
}

qint32 cDBOperate::UpdateLinks(const LinkValues& v)
{
    return RowCommandOrFail(QStringLiteral("[Korvel]-[cDBOperate]-[UpdateLinks]:"), [&] {
        return R"(UpDate Two_link set WorkOrderLinkName=')" + SqlText(v.WorkOrderLinkName) +
               R"(', SonNode_ID=')" + SqlText(v.SonNode_ID) + R"(',FatherNode_ID=')" +
               SqlText(v.FatherNode_ID) + R"(',AlwaysOpen=)" + SqlNumber(v.AlwaysOpen) +
               R"(,AddinVariant=')" + SqlText(v.AddinVariant) + R"(', CompareType=')" +
               SqlText(v.CompareType) + R"(',VariantValue=')" + SqlText(v.VariantValue) +
               R"(' Where WorkOrderFrame_ID=')" + SqlText(v.WorkOrderFrame_ID) +
               R"(' And WorkOrderLink_ID=')" + SqlText(v.WorkOrderLink_ID) + R"(')";
    });
}

qint32 cDBOperate::DelLinks(const QString& vWorkOrderFrame_ID, const QString& vWorkOrderLink_ID)
{
    return RowCommandOrFail(QStringLiteral("[Korvel]-[cDBOperate]-[DelLinks]:"), [&] {
        return R"(Delete from  Two_link Where WorkOrderFrame_ID=')" + SqlText(vWorkOrderFrame_ID) +
               R"(' And WorkOrderLink_ID=')" + SqlText(vWorkOrderLink_ID) + R"(')";
    });
}

} // namespace korvel

// The frame's 24 header values: read from their row, and between the object and a value list.
#include "model/cworder.h"

#include "core/addinglobals.h"
#include "model/storedtext.h"

namespace korvel {

FrameValues cWorder::ReadHeaderRow(const Recordset& rs)
{
    HostUtility& u = Utility();
    const QString prefix = QStringLiteral("[Korvel]-[cWOrder]-[LoadOne]:");
    auto text = [&](const char* column) { return StoredText(rs, column, prefix); };
    auto number = [&](const char* column) { return u.FieldToLong(rs.Fields(QLatin1StringView(column))); };

    FrameValues v;
    v.WorkOrderFrame_ID = text("WorkOrderFrame_ID");
    v.WorkOrderFrameName = text("WorkOrderFrameName");
    v.Category = text("Category");
    v.Priority_ID = text("Priority_ID");
    v.ExpirtedPeriodType_ID = text("ExpiredPeriodType_ID");
    v.WEBLink = text("WEBLink");
    v.Group_IDA = text("Group_IDA");
    v.PrintFormat = text("PrintFormat");
    v.Group_IDA2 = text("Group_IDA2");
    v.ExpiredPeriod = number("ExpiredPeriod");
    v.CanSkip = number("CanSkip");
    v.AddinType = number("AddinType");
    v.CanFullScreen = number("CanFullScreen");
    v.CanGenerateOB = number("CanGenerateOB");
    v.GenerateRate = number("GenerateRate");
    v.ReplyFlag = number("ReplyFlag");
    v.ReplyMode = number("ReplyMode");
    v.ReplyAddress = text("ReplyAddress");
    v.ReplyFile = text("ReplyFile");
    v.PrintGroup = text("PRINTGROUP");
    v.ReplyGroup = text("REPLYGROUP");
    v.ReplyContent = text("REPLYCONTENT");
    v.ForecastUnit = text("ForecastUnit");
    v.ForecastLen = number("ForecastLen");
    return v;
}

FrameValues cWorder::HeaderValues() const
{
    FrameValues v;
    v.WorkOrderFrame_ID = WorkOrderFrame_ID;
    v.WorkOrderFrameName = WorkOrderFrameName;
    v.Category = Category;
    v.Priority_ID = Priority_ID;
    v.ExpirtedPeriodType_ID = ExpirtedPeriodType_ID;
    v.WEBLink = WEBLink;
    v.Group_IDA = Group_IDA;
    v.PrintFormat = PrintFormat;
    v.Group_IDA2 = Group_IDA2;
    v.ExpiredPeriod = ExpiredPeriod;
    v.CanSkip = CanSkip;
    v.AddinType = AddinType;
    v.CanFullScreen = CanFullScreen;
    v.CanGenerateOB = CanGenerateOB;
    v.GenerateRate = GenerateRate;
    v.ReplyFlag = ReplyFlag;
    v.ReplyMode = ReplyMode;
    v.ReplyAddress = ReplyAddress;
    v.ReplyFile = ReplyFile;
    v.PrintGroup = PrintGroup;
    v.ReplyGroup = ReplyGroup;
    v.ReplyContent = ReplyContent;
    v.ForecastUnit = ForecastUnit;
    v.ForecastLen = ForecastLen;
    return v;
}

void cWorder::StoreFields(const FrameValues& v)
{
    WorkOrderFrame_ID = v.WorkOrderFrame_ID;
    WorkOrderFrameName = v.WorkOrderFrameName;
    Category = v.Category;
    Priority_ID = v.Priority_ID;
    ExpirtedPeriodType_ID = v.ExpirtedPeriodType_ID;
    WEBLink = v.WEBLink;
    Group_IDA = v.Group_IDA;
    PrintFormat = v.PrintFormat;
    Group_IDA2 = v.Group_IDA2;
    ExpiredPeriod = v.ExpiredPeriod;
    CanSkip = v.CanSkip;
    AddinType = v.AddinType;
    CanFullScreen = v.CanFullScreen;
    CanGenerateOB = v.CanGenerateOB;
    GenerateRate = v.GenerateRate;
    ReplyFlag = v.ReplyFlag;
    ReplyMode = v.ReplyMode;
    ReplyAddress = v.ReplyAddress;
    ReplyFile = v.ReplyFile;
    PrintGroup = v.PrintGroup;
    ReplyGroup = v.ReplyGroup;
    ReplyContent = v.ReplyContent;
    ForecastUnit = v.ForecastUnit;
    ForecastLen = v.ForecastLen;
}

} // namespace korvel

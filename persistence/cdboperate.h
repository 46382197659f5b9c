#pragma once

#include "persistence/recordset.h"

#include <QString>
#include <QByteArrayView>
#include <QVariant>
#include <functional>
#include <memory>

namespace korvel {

// The 24 header values of a frame, in their fixed order.
struct FrameValues {
    QString WorkOrderFrame_ID, WorkOrderFrameName, Category, Priority_ID, ExpirtedPeriodType_ID, WEBLink,
        Group_IDA, PrintFormat, Group_IDA2;
    qint32 ExpiredPeriod = 0, CanSkip = 0, AddinType = 0, CanFullScreen = 0, CanGenerateOB = 0,
           GenerateRate = 0, ReplyFlag = 0, ReplyMode = 0;
    QString ReplyAddress, ReplyFile, PrintGroup, ReplyGroup, ReplyContent, ForecastUnit;
    qint32 ForecastLen = 0;

    bool operator==(const FrameValues&) const = default;
};

// Who created and last changed a frame header, and when ("yyyy-MM-dd HH:mm:ss"): the columns the
// header statements write from the logged-in user and the clock.
struct FrameAudit {
    QString CreatedBy, CreatedDate, ModifiedBy, ModifiedDate;

    bool operator==(const FrameAudit&) const = default;
};

// The 33 values of a node, in their fixed order (also the column order of Two_Node).
struct NodeValues {
    QString WorkOrderFrame_ID, WorkOrderNode_ID, WorkOrderNodeName;
    qint32 ExpiredPeriod = 0;
    QString ExpiredPeriodType_ID;
    qint32 CanSendBack = 0, CanSendSelf = 0, CanSkip = 0;
    QString EmailNotify, SMSNotify;
    qint32 AddinType = 0;
    QString WEBLink, Group_IDA;
    qint32 CanFullScreen = 0;
    QString HandleBy_ID, HandleGroup_ID, ExpiredHandleBy_ID, ExpiredHandleGroup_ID;
    qint32 Top = 0, Left = 0;
    QString Priority_ID;
    qint32 RefuseFlag = 0, CanClose = 0, ContactCust = 0, NextBeginTime = 0, TickOffFlag = 0;
    QString ReturnOldStep;
    qint32 CanModify = 0, CanBackToBy = 0;
    QString ToMultiHandleBy;
    qint32 ReturnGroupFlag = 0;
    QString ForecastUnit;
    qint32 ForecastLen = 0;

    bool operator==(const NodeValues&) const = default;
};

// The 9 values of a link.
struct LinkValues {
    QString WorkOrderFrame_ID, WorkOrderLink_ID, WorkOrderLinkName, SonNode_ID, FatherNode_ID;
    qint32 AlwaysOpen = 0;
    QString AddinVariant, CompareType, VariantValue;

    bool operator==(const LinkValues&) const = default;
};

// The result of a write that names one row by its key when the statement ran but found no such row:
// the row was changed or deleted in the database by someone else meanwhile. Below 1, like a failure.
inline constexpr qint32 NoRowMatched = 0;

// Every statement of the add-in on the flow tables and the lookups, as literal SQL on the shared
// connection. No operation throws: on an error it writes one log line, its own prefix followed by
// the driver's text, and returns its failure value (nullptr for result sets).
class cDBOperate final {
public:
    // 1: the node ID is used by some node of any frame; -1: free; 0: the query failed.
    qint32 getNodeExists(const QString& vID);
    // The first free node ID "N" + at least five digits, counting from 1, found with one query (see
    // NodeIdAllocator). Throws KorvelError when the IDs cannot be read or the counter would overflow.
    QString GetNewNodeIDA();
    // Hands every node ID of every frame to `take`, for handing out new ones; false (logged) when
    // they could not all be read.
    bool GetAllNodeIDs(const std::function<void(QByteArrayView)>& take);

    std::unique_ptr<Recordset> GetCodePriority();
    std::unique_ptr<Recordset> GetWorkOrderType();
    std::unique_ptr<Recordset> GetAddinBuild();
    // Every frame: ID and name, in these two columns.
    std::unique_ptr<Recordset> GetAllWorkOrderList();
    // 1: a frame has this ID; -1: free; 0: the query failed.
    qint32 GetWorkOrderIDExists(const QString& vFrameID);
    std::unique_ptr<Recordset> GetAllObjectiveTypeList();
    std::unique_ptr<Recordset> GetOneWorkOrder(const QString& vWorkOrderID);
    // 1 ran, -1 failed.
    qint32 InsertWorkOrderFrame(const FrameValues& v);
    // 1 updated, NoRowMatched when the frame is gone, -1 failed.
    qint32 UpdateWorkOrderFrame(const FrameValues& v);
    // Inside a frame's save: confirms that the header row still exists, holds it against a
    // concurrent save or delete until the transaction ends, and stamps its ModifiedBy and
    // ModifiedDate as the header update does. 1 held, NoRowMatched when the frame is gone, -1 failed.
    qint32 ClaimWorkOrderFrame(const QString& vWorkOrderFrame_ID);
    // Deletes every node and link of the frame, inside the caller's transaction (a frame replaced
    // whole); 1 or -1.
    qint32 DeleteFrameFlow(const QString& vWorkOrderFrame_ID);
    // The staff member's name, or the ID itself when the Staff table has none (or cannot be read:
    // a name is only shown, so nothing is logged).
    QString GetStaffName(const QString& vStaffID);
    // The frame's CreatedBy, CreatedDate, ModifiedBy and ModifiedDate (one row, none when no such frame).
    std::unique_ptr<Recordset> GetWorkOrderAudit(const QString& vWorkOrderID);
    // Sets those four columns as given (a frame brought over from another database keeps its
    // history); 1, NoRowMatched when the frame is not there, -1 failed.
    qint32 SetWorkOrderAudit(const QString& vWorkOrderFrame_ID, const FrameAudit& audit);
    // Deletes header, nodes and links in one transaction of its own; 1 or -1 (rolled back).
    // `keepFinalVersion`, when given, runs in that transaction before anything is deleted, with the
    // deletion's serial in the change log; when it throws, nothing is deleted.
    qint32 DeleteWorkOrderFrame(const QString& vWorkOrderFrame_ID,
                                const std::function<void(qint64 serial)>& keepFinalVersion = {});

    std::unique_ptr<Recordset> GetNodes(const QString& vWorkOrderID);
    qint32 InsertNode(const NodeValues& v);
    // Updates and deletes of a node or link by key: 1 written, NoRowMatched when the row is gone,
    // -1 failed.
    qint32 UpdateNode(const NodeValues& v);
    // A variant holding 1, NoRowMatched or -1.
    QVariant DeleteNode(const QString& vWorkOrderFrame_ID, const QString& vWorkOrderNode_ID);
    std::unique_ptr<Recordset> GetLinks(const QString& vWorkOrderID);
    qint32 InsertLinks(const LinkValues& v);
    qint32 UpdateLinks(const LinkValues& v);
    qint32 DelLinks(const QString& vWorkOrderFrame_ID, const QString& vWorkOrderLink_ID);
};

// The shared instance, created on first use and kept for the life of the thread.
cDBOperate& DBOperate();

} // namespace korvel

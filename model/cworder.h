#pragma once

#include "core/hostinterfaces.h"
#include "model/clinks.h"
#include "model/cnodes.h"
#include "model/frameformat.h"
#include "persistence/cdboperate.h"

#include <QString>
#include <memory>

namespace korvel {

class Progress;

// The add-in name under which frames are locked in the host's lock service.
inline const QString FrameLockAddin = QStringLiteral("Korvel");

// One work-order frame: its header (plain fields, written at once by SaveNewInfo / SaveUpdate),
// its nodes and links (changed in memory, written by SaveMe in one transaction) and the user's
// edit lock on it.
class cWorder final {
public:
    cWorder();

    // Header fields: plain storage; setting one writes nothing and marks nothing.
    QString WorkOrderFrame_ID, WorkOrderFrameName, Category, Priority_ID, ExpirtedPeriodType_ID, WEBLink,
        Group_IDA, PrintFormat, Group_IDA2;
    qint32 ExpiredPeriod = 0, CanSkip = 0, AddinType = 0, CanFullScreen = 0, CanGenerateOB = 0,
           GenerateRate = 0, ReplyFlag = 0, ReplyMode = 0;
    QString ReplyAddress, ReplyFile, PrintGroup, ReplyGroup, ReplyContent, ForecastUnit;
    qint32 ForecastLen = 0;

    // 1 while header, nodes and links are in memory (and may hold unsaved edits); 0 forces a re-read.
    qint32 LoadFlag = 0;
    // 1 while this user holds the host's edit lock on the frame.
    qint32 LockFlag() const { return m_lockFlag; }

    cNodes& AllNode() { return *m_allNode; }
    cLinks& AllLink() { return *m_allLink; }

    // The 24 header values as they stand.
    FrameValues HeaderValues() const;
    // Who created the frame and changed it last, and when, as LoadOne read them (the dates
    // "yyyy-MM-dd HH:mm:ss"), advanced by this object's saves.
    const FrameAudit& Audit() const { return m_audit; }

    // Fills ID and name, and LockFlag from the host's lock state; LoadFlag 0. A failing host call
    // throws KorvelError.
    void LoadList(const QString& vWorkOrderID, const QString& vWorkOrderName);
    // The same with the lock state already known (the list learns all of them with one query).
    void LoadList(const QString& vWorkOrderID, const QString& vWorkOrderName, bool heldByUser);
    // Reads header, nodes and links unless LoadFlag is 1 (then unsaved edits stay as they are). The
    // node and link collections are replaced by fresh ones first. A failed header query stops there
    // (collections empty, LoadFlag 0); a missing header row keeps ID and name, still loads the nodes
    // and links and leaves LoadFlag 0. A failing host call throws KorvelError. Also learns the
    // frame's content version (ContentVersion) before the flow, and who changed it last (Audit).
    void LoadOne();
    // LoadOne's reading without the lock: header, nodes, links, audit and content version afresh,
    // whatever LoadFlag says (unsaved edits are dropped), leaving LockFlag alone. For reading a frame
    // as it is stored.
    void ReadStored();
    // The database's error when the last LoadOne could not read everything, a step or link row left
    // out included (its flow in memory is then incomplete and must not be written back); empty
    // after a full read.
    const QString& ReadError() const { return m_readError; }
    // Names the reading of the flow now in memory: a number no other LoadOne of this or any other
    // frame object gives (a new object has one of its own). The steps and links belong to one reading, and
    // whatever refers to them (the designer's undo history) ends with it.
    qint64 ReadSerial() const { return m_readSerial; }
    // Inserts the header row, takes the lock; 1 or -1.
    qint32 SaveNewInfo(const FrameValues& values);
    // A new frame: inserts the header row, takes the lock, and records the creation in the change
    // log and as the frame's first version, in one transaction; 1 or -1 (nothing stored).
    qint32 CreateNew(const FrameValues& values);
    // Deletes the frame (header, steps and links) in one transaction that keeps it as the final
    // version of its history, so that it can be brought back; 1 or -1 (nothing deleted).
    qint32 DeleteMe();
    // A save or header update refused because this session no longer holds the frame's lock
    // (broken, or taken over), or because the frame was changed in the database since this object
    // read it; SaveRefusal() then says by whom.
    static constexpr qint32 LockLost = -3;
    static constexpr qint32 ChangedMeanwhile = -4;
    // Updates the header row, proving first as SaveMe does that the frame is still this session's
    // and as it was read; 1, NoRowMatched when the frame is gone from the database, LockLost,
    // ChangedMeanwhile, or -1.
    qint32 SaveUpdate(const FrameValues& values);
    // Writes every node change, then every link change, in one transaction that first makes sure
    // the header row still exists (stamping who saved it and when), that this session holds the
    // frame's lock and that nobody changed the frame since it was read. 1 saved; NoRowMatched when
    // the frame or one of its rows was changed or deleted in the database meanwhile; LockLost;
    // ChangedMeanwhile; -1 failed. Below 1 nothing is written (rolled back) and every change stays
    // in memory, so the save can be tried again or made as a copy.
    qint32 SaveMe();
    // Why the last SaveMe or SaveUpdate was refused with LockLost or ChangedMeanwhile, for the
    // user: who holds the lock now and since when (or that nobody does), or who changed the frame
    // and when. Empty after any other outcome.
    const QString& SaveRefusal() const { return m_saveRefusal; }
    // The frame's latest change in the change log as this object knows it: read by LoadOne, then
    // this object's own saves. A caller that recorded the frame's creation sets it.
    qint64 ContentVersion() const { return m_contentVersion; }
    void SetContentVersion(qint64 version) { m_contentVersion = version; }
    // Copies header, live nodes (under fresh IDs, return steps translated) and live links (ends
    // mapped, codes kept) under a new frame ID in one transaction, and locks the copy; afterwards this
    // object's header describes the copy. 1, or -1 with the database rolled back, this object's
    // header, LoadFlag and LockFlag as before and the lock on the new ID released; IdTakenMeanwhile
    // instead of -1 when another user stored a frame under the new ID since it was checked.
    // `progress`, when given, hears of every step and link copied (SaveasItems() in all).
    static constexpr qint32 IdTakenMeanwhile = -2;
    qint32 Saveas(const QString& vWorkOrderIDA, const QString& vWorkOrderName, Progress* progress = nullptr);
    // The number of items a copy goes through: every step and link, live or not.
    int SaveasItems() const;
    // Asks the host for the edit lock; 1 granted (LockFlag 1), -1 refused (LockFlag 0) or failed
    // (logged, LockFlag unchanged).
    qint32 LockMe();
    // Takes over this user's lock from another of their sessions that still runs (the user agreed);
    // 1 taken (LockFlag 1), -1 refused or failed.
    qint32 TakeOverLock();
    // Gives the lock back; 1 released (LockFlag 0), -1 refused or failed (LockFlag unchanged).
    qint32 UnlockMe();
    // Another session broke or took the lock this one held (the host's HoldsLock said so): LockFlag
    // 0, the flow in memory and its unsaved changes as they are. Writes nothing.
    void ForgetLock() { m_lockFlag = 0; }
    // Who holds the frame's edit lock now, as this user sees it; false when it is free. A failing
    // host call throws KorvelError.
    bool GetLockHolder(LockHolder& holder) const;
    // 1 when a node or link, or the header (SetHeader), holds an unsaved change.
    qint32 CheckStatus() const;

    // The frame as the database stores it at ContentVersion(): read by LoadOne (or LoadRecord) and
    // advanced by this object's own saves; what a version of the frame's history is made from and
    // compared with. Null before the first full read.
    std::shared_ptr<const FrameRecord> StoredRecord() const { return m_stored; }
    // Shows a stored version of the frame: header, steps and links from `record` as if read (nothing
    // changed, LoadFlag 1, no lock, a new ReadSerial). Nothing is read from or written to the
    // database; such a frame is only looked at.
    void LoadRecord(const FrameRecord& record);
    // Sets the header in memory as an unsaved change, for the next SaveMe to write with the flow (a
    // restored version brings its header); `pending` false puts a header back as it was (undo).
    void SetHeader(const FrameValues& values, bool pending);
    bool HeaderPending() const { return m_headerPending; }

private:
    // The 24 values of a header row as read (model/cworderheader.cpp).
    static FrameValues ReadHeaderRow(const Recordset& rs);
    // Stores the 24 values; SetAllFields also sets LoadFlag 1.
    void StoreFields(const FrameValues& values);
    void SetAllFields(const FrameValues& values);
    // Inside a save's transaction: 1, LockLost or ChangedMeanwhile. A failing query throws.
    qint32 ProveUnchanged(const QSqlDatabase& database) const;
    // After a refused save, rolled back: fills SaveRefusal for `result` and logs it.
    void ExplainRefusal(qint32 result, const QString& prefix);

    // The record of what is in memory now (header, live steps and links) for the frame `frameId`.
    FrameRecord CurrentRecord(const QString& frameId) const;
    FrameAudit StampedAudit() const;

    std::unique_ptr<cNodes> m_allNode;
    std::unique_ptr<cLinks> m_allLink;
    qint32 m_lockFlag = 0;
    qint64 m_readSerial = 0;
    qint64 m_contentVersion = 0;
    FrameAudit m_audit;
    QString m_readError;
    QString m_saveRefusal;
    std::shared_ptr<const FrameRecord> m_stored;
    bool m_headerPending = false;
};

} // namespace korvel

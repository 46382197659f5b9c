#pragma once

#include "core/changestate.h"
#include "persistence/cdboperate.h"

#include <QHash>
#include <QString>

namespace korvel {

// Reserved node IDs of a flow's fixed end points; they are not nodes.
inline const QString BeginNodeID = QStringLiteral("BEGIN");
inline const QString EndNodeID = QStringLiteral("END");

// One transition of a flow with its change state. Setting any field marks the link modified.
class cLink final {
public:
#define KORVEL_LINK_FIELD(Type, Name)                                                                        \
    const Type& Name() const                                                                                 \
    {                                                                                                        \
        return m_values.Name;                                                                                \
    }                                                                                                        \
    void set##Name(const Type& value)                                                                        \
    {                                                                                                        \
        m_values.Name = value;                                                                               \
        ChangeState(m_stateFlag, StateModified);                                                             \
    }

    KORVEL_LINK_FIELD(QString, WorkOrderLink_ID)
    KORVEL_LINK_FIELD(QString, WorkOrderFrame_ID)
    KORVEL_LINK_FIELD(QString, WorkOrderLinkName)
    KORVEL_LINK_FIELD(QString, SonNode_ID)
    KORVEL_LINK_FIELD(QString, FatherNode_ID)
    // 0: always open; 1: open when the condition holds.
    KORVEL_LINK_FIELD(qint32, AlwaysOpen)
    KORVEL_LINK_FIELD(QString, AddinVariant)
    KORVEL_LINK_FIELD(QString, CompareType)
    KORVEL_LINK_FIELD(QString, VariantValue)
#undef KORVEL_LINK_FIELD

    const LinkValues& Values() const
    {
        return m_values;
    }
    qint32 StateFlag() const
    {
        return m_stateFlag;
    }

    void LoadMe(const LinkValues& values);
    void NewMe(const LinkValues& values);
    void DelMe();
    // Puts back values and a change state the link had before (the designer's undo and redo).
    void Restore(const LinkValues& values, qint32 state);
    // Writes the link by its state; 1 when there was nothing to write.
    qint32 SaveMe();
    // Inserts a copy under frame `vFrameIDA` with both ends mapped through `AllNodeID` (keyed by
    // IdKey; "BEGIN" and "END" kept, unknown IDs become empty); 1 when the link is not live.
    qint32 Saveas(const QString& vFrameIDA, const QHash<QString, QString>& AllNodeID) const;
    // The values of such a copy, as Saveas writes them.
    LinkValues CopyValues(const QString& vFrameIDA, const QHash<QString, QString>& AllNodeID) const;
    qint32 CheckStatus() const;
    qint32 CanLoadFlag() const;

private:
    // "BEGIN" and "END" unchanged, an ID whose IdKey is a key of `AllNodeID` its value, anything
    // else the empty text.
    static QString MapNodeID(const QHash<QString, QString>& AllNodeID, const QString& vNodeID);

    LinkValues m_values;
    qint32 m_stateFlag = StateUnchanged;
};

} // namespace korvel

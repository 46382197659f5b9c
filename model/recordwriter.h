#pragma once

#include "model/clinks.h"
#include "model/cnodes.h"
#include "model/frameformat.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace korvel {

class Progress;

// Writing whole frames into the database: an import, a version of a frame brought back.

// The edit locks of the frames a write replaces, given back when it ends, however it ends.
class FrameWriteLocks final {
public:
    Q_DISABLE_COPY_MOVE(FrameWriteLocks)
    FrameWriteLocks() = default;
    ~FrameWriteLocks();
    // Takes the frame's lock; refuses (KorvelError naming the holder and since when) while another
    // session holds it.
    void Take(const QString& frameId);

private:
    QStringList m_taken;
};

// Why a frame cannot be replaced: who holds its lock, and since when, for the user.
QString LockedElsewhereMessage(const QString& frameId);

// How the steps of a frame written get their IDs: fresh ones from the node-ID generator (an
// import), or their own where no frame has it (a version brought back).
enum class StepIds { Fresh, KeepFree };

// Writes one frame under `id` inside the caller's transaction as a Save as does (references
// following the step IDs). A frame replaced (its lock held by this session, or refused) keeps its
// creation and is stamped as changed by this user now; one added keeps the record's history.
// Returns the frame as stored. Throws KorvelError with the database's text.
FrameRecord WriteFrameRecord(const FrameRecord& frame, const QString& id, bool replace, StepIds stepIds,
                             Progress* progress = nullptr);

// The record of live steps and links copied under frame `id`, their IDs mapped through `newStepIds`
// (old IdKey -> new ID, as cNodes::Saveas fills it), steps in the order of their IDs and links in the
// order of their codes.
FrameRecord CopiedRecord(const FrameValues& header, const FrameAudit& audit, const QString& id, const cNodes& steps,
                         const cLinks& links, const QHash<QString, QString>& newStepIds);

} // namespace korvel

#pragma once

#include "model/frameformat.h"
#include "persistence/frameversions.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <future>
#include <memory>

namespace korvel {

// A frame's history, on the add-in's shared connection: its stored versions, what separates them,
// and bringing one back. Refusals throw KorvelError whose description is the message for the user,
// in the interface language.
namespace FrameHistory {

// The frame's versions, newest first. A frame stored before its history began first gets version 1
// "found" (what it is now), so every stored frame has at least one.
QList<FrameVersionRow> Versions(const QString& frameId);
// The frames whose newest version is a deletion (their newest version each), newest first.
QList<FrameVersionRow> DeletedFrames();
// One version's content. Throws when the frame has no such version.
FrameRecord Content(const QString& frameId, int version);
// The version's summary line in the interface language: what the write was ("as found",
// "deleted", "copy of CMP01", "version 3 restored") and, after it, SummaryText of its change.
QString SummaryLine(const FrameVersionRow& row);

// Brings version `version` of the frame back and stores it as the frame's newest version
// ("restore"), in one transaction. A frame that exists takes the version's header, steps and links
// under its edit lock, taken for the write and given back after (refused while another session
// holds it). A deleted frame comes back under its ID, or under `newId` when given (the rules of
// Save as apply to it). Steps keep their IDs unless another frame took one meanwhile. Returns the
// ID the frame is stored under and the new version's number.
struct Restored {
    QString frameId;
    int version = 0;
};
Restored Restore(const QString& frameId, int version, const QString& newId = QString());

// Drops all but the newest `keep` versions of every frame (keep ≥ 1, else refused); returns how
// many versions were dropped.
int Prune(int keep);

// Stores one version inside a writer's transaction. The frame file is written and compressed on a
// second thread from the moment the recorder is made, while the writer sends its statements; Store
// waits for it and adds the row. Made from what the writer knows: the frame before the write (for
// the summary, and as version "found" when the frame has no version yet; none for a frame the write
// creates) and after it.
class VersionRecorder final {
public:
    VersionRecorder(std::shared_ptr<const FrameRecord> before, std::shared_ptr<const FrameRecord> after);
    ~VersionRecorder();
    VersionRecorder(const VersionRecorder&) = delete;
    VersionRecorder& operator=(const VersionRecorder&) = delete;

    // Adds the version (and, first, version 1 "found" when the frame has none and `before` is
    // known); returns its number. `kind` is a FrameChangeKindName or RestoredVersionKind; `origin`
    // as FrameVersionRow has it.
    int Store(const QSqlDatabase& database, const QString& frameId, const QString& kind, qint64 serial,
              const QString& origin = QString());

private:
    struct Encoded;
    std::shared_ptr<const FrameRecord> m_before, m_after;
    std::future<std::shared_ptr<Encoded>> m_encoded;
};

} // namespace FrameHistory
} // namespace korvel

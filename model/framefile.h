#pragma once

#include "model/frameformat.h"
#include "persistence/lookupkeys.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QList>
#include <functional>
#include <map>
#include <set>

namespace korvel {

// The frame file (docs/frame-format.md) as a whole: what export writes, import reads and every
// version of a frame's history keeps. Refusals throw KorvelError whose description is the message
// for the user, in the interface language.

// The lookup keys frames name, by kind, in a fixed order.
using LookupNames = std::map<LookupKind, std::set<QString>>;
void AddLookups(const FrameRecord& frame, LookupNames& names);

// The file of these frames, in the order given, with the lookups they name.
QByteArray WriteFrameFile(const QList<FrameRecord>& frames,
                          QJsonDocument::JsonFormat format = QJsonDocument::Indented);
// The compact file of one frame, handed to `sink` in pieces (a version being compressed).
void WriteFrameFile(const FrameRecord& frame, const std::function<void(QByteArrayView)>& sink);
// The frames of a file, checked for everything that needs no database: strict JSON, format and
// version, every member present and of its kind, no step ID or link code twice in a frame, and
// every link end and return step naming a step of the same frame (or Start/End).
QList<FrameRecord> ReadFrameFile(const QByteArray& file);

// The frame as the database stores it now, steps in the order of their IDs and links in the order
// of their codes. Throws when the frame does not exist or cannot be read in full.
FrameRecord ReadStoredFrame(const QString& frameId);
// Steps in the order of their IDs and links in that of their codes (as texts, character by
// character): the order a stored frame is read and written in.
void SortRecord(FrameRecord& record);

} // namespace korvel

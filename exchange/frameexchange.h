#pragma once

#include "model/flowcheck.h"
#include "persistence/cdboperate.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace korvel {

class Progress;

// Export and import of frames as a versioned JSON file (docs/frame-format.md), on the add-in's
// shared connection. Every refusal throws KorvelError whose description is the message for the
// user, in the interface language.

// The file for these frames, in the order given: every stored value of each header, step and link
// row, and the keys of the lookups they name. Throws when a frame does not exist or cannot be read.
QByteArray ExportFrames(const QStringList& frameIds);
// The same, written to `path` (replaced as a whole, never left half-written).
void ExportFramesToFile(const QStringList& frameIds, const QString& path);

// What an import did.
struct ImportResult {
    QStringList frameIds; // the IDs the frames were stored under, in file order
    // Warnings: keys of lookups the file names that this database lacks (the import went ahead).
    QList<FlowFinding> findings;
};

// What an import does with a frame whose ID the database has already.
enum class ImportExisting {
    Refuse,
    // The stored frame takes the file's: its steps and links are deleted and written anew and its
    // header updated, under its edit lock, which the import takes before it writes and gives back
    // after; refused while another session holds it.
    Replace,
};

// Reads a frame file into the database in one transaction. Each frame keeps its ID unless `newId`
// is given (only for a file of one frame); an ID that a frame already has (unless `existing` says
// Replace), that is empty, or longer than 6 bytes is refused. Steps get fresh IDs from the node-ID generator; links and return steps
// follow them. A broken file (bad JSON, with line and column; a missing member or one of the wrong
// kind; another format or version; a link or return step naming a step not in its frame; a step ID
// or link code twice in a frame) is refused before anything is written; a failing statement rolls
// everything back. Either way the database is left as it was.
// `progress`, when given, hears of every step and link written.
ImportResult ImportFrames(const QByteArray& file, const QString& newId = QString(), Progress* progress = nullptr,
                          ImportExisting existing = ImportExisting::Refuse);
// The most an import reads: a frame file of a thousand large frames stays far below it.
inline constexpr qint64 MaxImportFileBytes = 64 * 1024 * 1024;

// The same for the file at `path`, or standard input for "-". Refuses what is not a regular file
// (a device, a FIFO, a folder) and more than MaxImportFileBytes, before reading further.
ImportResult ImportFramesFromFile(const QString& path, const QString& newId = QString(),
                                  Progress* progress = nullptr, ImportExisting existing = ImportExisting::Refuse);

// The header of each frame in the file at `path`, in file order, read without writing anything (to
// ask for a new ID before an import). Throws KorvelError like the import for a file it refuses.
QList<FrameValues> FrameFileHeaders(const QString& path);

} // namespace korvel

#pragma once

#include "bench/benchdb.h"

#include <QList>
#include <QString>

namespace korvel::bench {

// What a case does once the database is open and the add-in globals point at the host.
enum class Operation {
    Saveas,          // cWorder::Saveas of the large frame
    ReferenceSaveas, // the same copy with the original per-candidate step IDs
    ProposeID,       // cNodes::ProposeNodeID
    ReferenceID,     // one step ID the original way
    Startup,         // FrmMain built and painted: frame list read, tree filled, first frame drawn
    OpenFrame,       // click on the large frame: read, drawn and the canvas painted
    Repaint,         // one paint of the canvas viewport with the large frame drawn
    StepList,        // StepCommands::FillStepCombo for the large frame's last step
    Save,            // cWorder::SaveMe with every step of the large frame moved
    Memory,          // what opening the large frame adds to the resident memory
    SelectAll,       // the Select all command on the locked large frame
    MoveAll,         // the Right arrow key with every step of it selected
    UndoMove,        // Undo of that move
    Paste,           // Paste of 1,000 of its steps into it
    CopyAll,         // Copy with every step of it selected
    Search,          // SearchFlows over every frame
    RenderPng,       // WriteFramePicture of the large frame into a PNG file
    RenderSvg,       // the same into an SVG file
    LiveDelay,       // a save in another process until this designer redraws it (bench/livecases.h)
    Idle,            // an idle designer window: CPU and statements per minute
    HistoryList,     // the versions of a frame listed (bench/historycases.h)
    Diff,            // the diff of two versions of the large frame, both in memory
    DiffLoad,        // the same with both versions read from the database
    Layout,          // the automatic layout of the large frame's flow, read before the timer starts
};

// One line of the benchmark: an operation measured at several sizes.
struct CaseInfo {
    QString id;
    QString title;
    QString sizeUnit;  // what the size counts: "step rows", "frames" or "steps"
    QString perUnit;   // the table's "per" column divides the time by this many ("" for none)
    QString reference; // the id of the reference case measured at the same sizes, or ""
    Operation operation = Operation::Saveas;
    int frameSteps = 0; // steps of the large frame when the size counts the database's rows
    double zoom = 1.0;  // Repaint: the zoom; 0 fits the whole flow into the view
    QString text;       // Search: the text sought
    int hits = 0;       // Search: the hits the generated frames make certain
    int seconds = 0;    // Idle: how long the window is left alone
    QList<int> sizes;

    Layout LayoutFor(int size) const;
    // How many of `perUnit` a run at `size` handles.
    int PerCount(int size) const;
};

// The cases of a full run, or of a quick one (smaller sizes).
QList<CaseInfo> Cases(bool quick);

// What one run of a case measured.
struct Measurement {
    double milliseconds = 0;
    qint64 statements = 0; // StatementMonitor::Count() difference
    qint64 rssGrowthKb = 0;
    qint64 fileBytes = 0; // the size of the file the operation wrote, if it wrote one
    QString note;
};

// Runs the case once at `size` on the shared connection (the add-in globals installed, the
// database a fresh copy of LayoutFor(size)). Throws KorvelError when the operation fails or its
// result is not what the generated data makes certain.
Measurement RunCase(const CaseInfo& info, int size);

// A value of this process's /proc/self/status in kB ("VmHWM", "VmRSS"); 0 when unknown.
qint64 ProcStatusKb(const char* field);

} // namespace korvel::bench

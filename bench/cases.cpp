#include "bench/cases.h"

#include "bench/designerdriver.h"
#include "bench/historycases.h"
#include "bench/interactioncases.h"
#include "bench/livecases.h"
#include "bench/probe.h"
#include "bench/reference.h"
#include "canvas/flowview.h"
#include "canvas/frameitems.h"
#include "canvas/framepicture.h"
#include "core/korvelerror.h"
#include "designer/frmmain.h"
#include "designer/stepcommands.h"
#include "dialogs/selectonlycombo.h"
#include "model/cworder.h"
#include "model/flowlayout.h"
#include "model/framehistory.h"
#include "persistence/flowsearch.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>

namespace korvel::bench {
namespace {

// The large frame read into memory as the designer reads it.
std::unique_ptr<cWorder> LoadLargeFrame()
{
    auto frame = std::make_unique<cWorder>();
    frame->LoadList(LargeFrameID, QStringLiteral("Large flow"));
    frame->LoadOne();
    Check(frame->LoadFlag == 1 && frame->ReadError().isEmpty(),
          QStringLiteral("the large frame did not load"));
    return frame;
}

// Graphviz's layout of the large frame alone: reading it comes before the timer starts.
Measurement LayOutFlow(int steps)
{
    auto frame = LoadLargeFrame();
    Probe probe;
    probe.Start();
    const StepPlaces places = ArrangedFlow(*frame, LayoutBoxes(*frame));
    Measurement m = probe.Stop(QStringLiteral("%1 steps laid out").arg(places.size()));
    Check(places.size() == steps, QStringLiteral("%1 steps laid out instead of %2").arg(places.size()).arg(steps));
    return m;
}

// The designer window after start-up (the small frame drawn), shown on the offscreen screen.
std::unique_ptr<DesignerDriver> StartDesigner()
{
    auto designer = std::make_unique<DesignerDriver>();
    designer->Settle();
    return designer;
}

Measurement CopyFrame(const CaseInfo& info, bool reference)
{
    auto frame = LoadLargeFrame();
    Probe probe;
    probe.Start();
    const int result = reference ? ReferenceSaveas(*frame, QStringLiteral("C0001"), QStringLiteral("Copy"))
                                 : frame->Saveas(QStringLiteral("C0001"), QStringLiteral("Copy"));
    Measurement m = probe.Stop(
        QStringLiteral("%1 steps, %2 links copied").arg(info.frameSteps).arg(LinksOf(info.frameSteps)));
    Check(result == 1, QStringLiteral("Save as failed"));
    return m;
}

Measurement ProposeID(int rows, bool reference)
{
    auto frame = LoadLargeFrame();
    Probe probe;
    probe.Start();
    const QString id = reference ? ReferenceNodeID() : frame->AllNode().ProposeNodeID();
    Measurement m = probe.Stop(id);
    Check(id == StepID(rows + 1),
          QStringLiteral("proposed %1 where %2 is the first free ID").arg(id, StepID(rows + 1)));
    return m;
}

Measurement Startup(int frames)
{
    Probe probe;
    probe.Start();
    DesignerDriver designer;
    Measurement m = probe.Stop();
    const int listed = designer.ListedFrames();
    m.note = QStringLiteral("%1 frames listed").arg(listed);
    Check(listed == frames, QStringLiteral("%1 frames listed instead of %2").arg(listed).arg(frames));
    Check(designer.Scene().Nodes().size() == SmallFrameSteps + 2,
          QStringLiteral("the first frame was not drawn"));
    return m;
}

Measurement OpenFrame(int steps, bool memory)
{
    auto designer = StartDesigner();
    Probe probe;
    probe.Start();
    OpenLargeFrame(*designer, steps);
    Measurement m = probe.Stop();
    m.note = memory ? QStringLiteral("resident memory +%1 MB")
                          .arg(static_cast<double>(m.rssGrowthKb) / 1024, 0, 'f', 1)
                    : QStringLiteral("%1 boxes, %2 arrows").arg(steps + 2).arg(LinksOf(steps));
    return m;
}

Measurement Repaint(int steps, double zoom)
{
    auto designer = StartDesigner();
    OpenLargeFrame(*designer, steps);
    FlowView& canvas = designer->Window().AFFlow();
    if (zoom > 0)
        canvas.setZoom(zoom);
    else
        canvas.fitInView(canvas.scene()->itemsBoundingRect(), Qt::KeepAspectRatio);
    QCoreApplication::processEvents();
    canvas.viewport()->repaint(); // the first paint after a zoom is not timed
    constexpr int Frames = 5;
    Probe probe;
    probe.Start();
    for (int i = 0; i < Frames; ++i)
        canvas.viewport()->repaint();
    Measurement m = probe.Stop();
    m.milliseconds /= Frames;
    m.statements /= Frames;
    const double shown = canvas.transform().m11() * TwipsPerPixel;
    m.note = QStringLiteral("zoom %1, viewport %2x%3")
                 .arg(shown, 0, 'g', 3)
                 .arg(canvas.viewport()->width())
                 .arg(canvas.viewport()->height());
    return m;
}

Measurement StepList(int steps)
{
    auto designer = StartDesigner();
    OpenLargeFrame(*designer, steps);
    SelectOnlyCombo combo;
    Probe probe;
    probe.Start();
    designer->Window().Steps().FillStepCombo(StepID(SmallFrameSteps + steps), combo);
    Measurement m = probe.Stop(QStringLiteral("%1 steps listed").arg(combo.count()));
    Check(combo.count() == steps - 1,
          QStringLiteral("%1 steps listed instead of %2").arg(combo.count()).arg(steps - 1));
    return m;
}

Measurement Save(int steps)
{
    auto frame = LoadLargeFrame();
    Check(frame->LockMe() == 1, QStringLiteral("the large frame could not be locked")); // a save needs its lock
    // Its history has begun (version 1 "found" stored once), as for every frame saved before.
    Check(FrameHistory::Versions(LargeFrameID).size() == 1, QStringLiteral("the history did not begin"));
    for (const auto& [key, node] : frame->AllNode().AllNode())
        node->setNodeLeft(node->NodeLeft() + 15);
    Probe probe;
    probe.Start();
    const qint32 result = frame->SaveMe();
    Measurement m = probe.Stop(QStringLiteral("%1 steps written").arg(steps));
    Check(result == 1, QStringLiteral("the save failed (%1)").arg(result));
    return m;
}

Measurement Search(const CaseInfo& info)
{
    Probe probe;
    probe.Start();
    const QList<SearchHit> hits = SearchFlows(info.text);
    Measurement m = probe.Stop(QStringLiteral("'%1': %2 hits").arg(info.text).arg(hits.size()));
    Check(hits.size() == info.hits,
          QStringLiteral("'%1' found %2 times instead of %3").arg(info.text).arg(hits.size()).arg(info.hits));
    return m;
}

Measurement Render(const QString& suffix)
{
    auto frame = LoadLargeFrame();
    QTemporaryDir folder;
    Check(folder.isValid(), QStringLiteral("Cannot create a temporary folder"));
    const QString path = folder.filePath(QStringLiteral("frame.") + suffix);
    Probe probe;
    probe.Start();
    WriteFramePicture(*frame, path);
    Measurement m = probe.Stop();
    m.fileBytes = QFileInfo(path).size();
    Check(m.fileBytes > 0, QStringLiteral("no picture written"));
    m.note = QStringLiteral("%1 file of %2 MiB")
                 .arg(suffix.toUpper())
                 .arg(static_cast<double>(m.fileBytes) / (1024 * 1024), 0, 'f', 2);
    return m;
}

CaseInfo Make(QString id, QString title, QString unit, QString per, Operation operation, QList<int> sizes)
{
    CaseInfo info;
    info.id = std::move(id);
    info.title = std::move(title);
    info.sizeUnit = std::move(unit);
    info.perUnit = std::move(per);
    info.operation = operation;
    info.sizes = std::move(sizes);
    return info;
}

} // namespace

Layout CaseInfo::LayoutFor(int size) const
{
    Layout layout;
    if (operation == Operation::Startup || operation == Operation::Search || operation == Operation::LiveDelay ||
        operation == Operation::Idle) {
        layout.kind = Layout::Kind::Frames;
        layout.frames = size;
    } else if (operation == Operation::HistoryList) {
        layout.flowSteps = frameSteps;
        layout.stepRows = SmallFrameSteps + frameSteps;
    } else if (frameSteps > 0) {
        layout.flowSteps = frameSteps;
        layout.stepRows = size;
    } else {
        layout.flowSteps = size;
        layout.stepRows = SmallFrameSteps + size;
    }
    return layout;
}

int CaseInfo::PerCount(int size) const
{
    if (perUnit == QLatin1String("copied step"))
        return frameSteps;
    if (perUnit == QLatin1String("pasted step"))
        return std::min(size, PastedSteps);
    return size;
}

QList<CaseInfo> Cases(bool quick)
{
    const QString rows = QStringLiteral("step rows");
    const QString steps = QStringLiteral("steps");
    const QString perStep = QStringLiteral("step");
    QList<CaseInfo> cases;

    const int bigCopy = quick ? 100 : 1000;
    CaseInfo saveas =
        Make(QStringLiteral("saveas-%1").arg(bigCopy), QStringLiteral("Save as, %1 steps").arg(bigCopy), rows,
             QStringLiteral("copied step"), Operation::Saveas,
             quick ? QList<int>{1000, 5000, 20000} : QList<int>{2000, 5000, 20000, 50000});
    saveas.frameSteps = bigCopy;
    cases << saveas;
    if (!quick) {
        CaseInfo hundred = saveas;
        hundred.id = QStringLiteral("saveas-100");
        hundred.title = QStringLiteral("Save as, 100 steps");
        hundred.frameSteps = 100;
        hundred.sizes = {20000};
        cases << hundred;
    }
    cases.last().reference = QStringLiteral("saveas-100-ref");
    CaseInfo copyRef =
        Make(QStringLiteral("saveas-100-ref"), QStringLiteral("Save as, 100 steps (reference)"), rows,
             QStringLiteral("copied step"), Operation::ReferenceSaveas, {20000});
    copyRef.frameSteps = 100;
    cases << copyRef;

    CaseInfo propose = Make(QStringLiteral("propose-id"), QStringLiteral("Propose a step ID"), rows,
                            QStringLiteral("row"), Operation::ProposeID, {1000, 5000, 20000, 50000});
    propose.frameSteps = 100;
    propose.reference = QStringLiteral("propose-id-ref");
    CaseInfo proposeRef = propose;
    proposeRef.id = propose.reference;
    proposeRef.title = QStringLiteral("Propose a step ID (reference)");
    proposeRef.operation = Operation::ReferenceID;
    proposeRef.reference.clear();
    cases << propose << proposeRef;

    const QString frames = QStringLiteral("frames");
    cases << Make(QStringLiteral("startup"), QStringLiteral("Start-up"), frames, QStringLiteral("frame"),
                  Operation::Startup, {500, 5000, 50000, 200000});
    const QList<int> flows = quick ? QList<int>{300, 3000} : QList<int>{300, 1000, 3000};
    cases << Make(QStringLiteral("open"), QStringLiteral("Open and draw a frame"), steps, perStep,
                  Operation::OpenFrame, flows);
    for (const double zoom : {1.0, 0.25, 0.0}) {
        const QString name = zoom > 0 ? QString::number(zoom) : QStringLiteral("fit");
        CaseInfo repaint = Make(QStringLiteral("repaint-") + name, QStringLiteral("Repaint, zoom ") + name,
                                steps, QString(), Operation::Repaint, {300, 3000});
        repaint.zoom = zoom;
        cases << repaint;
    }
    cases << Make(QStringLiteral("steplist"), QStringLiteral("Return-step list"), steps, perStep,
                  Operation::StepList, flows);
    cases << Make(QStringLiteral("save"), QStringLiteral("Save changed steps"), steps, perStep,
                  Operation::Save, {100, 1000});
    cases << Make(QStringLiteral("memory"), QStringLiteral("Memory, frame open"), steps, QString(),
                  Operation::Memory, quick ? QList<int>{3000} : QList<int>{300, 3000});
    const QList<int> edits{1000, 3000, 10000};
    cases << Make(QStringLiteral("select-all"), QStringLiteral("Select all"), steps, perStep,
                  Operation::SelectAll, edits);
    cases << Make(QStringLiteral("move-all"), QStringLiteral("Move all, one key"), steps, perStep,
                  Operation::MoveAll, edits);
    cases << Make(QStringLiteral("undo-move"), QStringLiteral("Undo the move"), steps, perStep,
                  Operation::UndoMove, edits);
    cases << Make(QStringLiteral("paste-1000"), QStringLiteral("Paste 1,000 steps"), steps,
                  QStringLiteral("pasted step"), Operation::Paste, edits);
    cases << Make(QStringLiteral("copy-all"), QStringLiteral("Copy all"), steps, perStep, Operation::CopyAll,
                  edits);

    // The frames are named "Work order 000001" and up: ten of the names hold "order 00001".
    const QList<int> searched{5000, 50000, 200000};
    CaseInfo some = Make(QStringLiteral("search-some"), QStringLiteral("Search, 10 hits"), frames,
                         QStringLiteral("frame"), Operation::Search, searched);
    some.text = QStringLiteral("order 00001");
    some.hits = 10;
    CaseInfo none = Make(QStringLiteral("search-none"), QStringLiteral("Search, no hit"), frames,
                         QStringLiteral("frame"), Operation::Search, searched);
    none.text = QStringLiteral("no such text");
    cases << some << none;
    cases << Make(QStringLiteral("render-png"), QStringLiteral("Picture, PNG"), steps, perStep,
                  Operation::RenderPng, edits);
    cases << Make(QStringLiteral("render-svg"), QStringLiteral("Picture, SVG"), steps, perStep,
                  Operation::RenderSvg, edits);
    cases << Make(QStringLiteral("live-delay"), QStringLiteral("Save elsewhere to redraw here"), frames, QString(),
                  Operation::LiveDelay, {5000});
    // The time column is CPU milliseconds per minute of idling, the statements column per minute.
    CaseInfo idle = Make(QStringLiteral("idle"), QStringLiteral("Idle window, CPU ms per minute"), frames,
                         QString(), Operation::Idle, {5000});
    idle.seconds = quick ? 10 : 60;
    cases << idle;

    CaseInfo versions = Make(QStringLiteral("history-list"), QStringLiteral("List versions"),
                             QStringLiteral("versions"), QStringLiteral("version"), Operation::HistoryList,
                             {100, 1000});
    versions.frameSteps = 100;
    cases << versions;
    cases << Make(QStringLiteral("diff"), QStringLiteral("Diff of two versions"), steps, perStep, Operation::Diff,
                  {300, 3000});
    cases << Make(QStringLiteral("diff-load"), QStringLiteral("Diff of two versions, read first"), steps, perStep,
                  Operation::DiffLoad, {300, 3000});
    cases << Make(QStringLiteral("layout"), QStringLiteral("Arrange automatically"), steps, perStep,
                  Operation::Layout, {30, 300, 3000});
    return cases;
}

Measurement RunCase(const CaseInfo& info, int size)
{
    switch (info.operation) {
    case Operation::Saveas:
        return CopyFrame(info, false);
    case Operation::ReferenceSaveas:
        return CopyFrame(info, true);
    case Operation::ProposeID:
        return ProposeID(size, false);
    case Operation::ReferenceID:
        return ProposeID(size, true);
    case Operation::Startup:
        return Startup(size);
    case Operation::OpenFrame:
        return OpenFrame(size, false);
    case Operation::Repaint:
        return Repaint(size, info.zoom);
    case Operation::StepList:
        return StepList(size);
    case Operation::Save:
        return Save(size);
    case Operation::Memory:
        return OpenFrame(size, true);
    case Operation::SelectAll:
        return SelectAllSteps(size);
    case Operation::MoveAll:
        return MoveAllSteps(size);
    case Operation::UndoMove:
        return UndoMoveAllSteps(size);
    case Operation::Paste:
        return PasteSteps(size);
    case Operation::CopyAll:
        return CopyAllSteps(size);
    case Operation::Search:
        return Search(info);
    case Operation::RenderPng:
        return Render(QStringLiteral("png"));
    case Operation::RenderSvg:
        return Render(QStringLiteral("svg"));
    case Operation::LiveDelay:
        return LiveDelay();
    case Operation::Idle:
        return IdleWindow(size, info.seconds);
    case Operation::HistoryList:
        return ListVersions(size);
    case Operation::Diff:
        return DiffVersions(size, false);
    case Operation::DiffLoad:
        return DiffVersions(size, true);
    case Operation::Layout:
        return LayOutFlow(size);
    }
    throw KorvelError(QStringLiteral("unknown case %1").arg(info.id));
}

qint64 ProcStatusKb(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

} // namespace korvel::bench

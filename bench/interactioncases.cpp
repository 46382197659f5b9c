#include "bench/interactioncases.h"

#include "bench/designerdriver.h"
#include "bench/probe.h"
#include "canvas/flowscene.h"
#include "exchange/stepclipboard.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <memory>

namespace korvel::bench {
namespace {

QString Mb(qint64 kb)
{
    return QString::number(static_cast<double>(kb) / 1024, 'f', 1);
}

// The designer with the large frame open and locked for editing.
std::unique_ptr<DesignerDriver> LockedLargeFrame(int steps)
{
    auto designer = std::make_unique<DesignerDriver>();
    designer->Settle();
    OpenLargeFrame(*designer, steps);
    designer->Lock();
    return designer;
}

// Everything selected, checked: the starting point of the cases that act on the whole flow.
void SelectEverything(DesignerDriver& designer, int steps)
{
    designer.SelectEverything();
    designer.Settle();
    const int selected = designer.SelectedSteps();
    Check(selected == steps, QStringLiteral("%1 of %2 steps selected").arg(selected).arg(steps));
}

// Every step stands `shift` twips right of where `before` has it.
void CheckPlaces(DesignerDriver& designer, const QHash<QString, QPointF>& before, double shift,
                 const QString& what)
{
    const QHash<QString, QPointF> after = designer.StepPlaces();
    Check(after.size() == before.size(),
          QStringLiteral("%1 steps drawn, %2 before").arg(after.size()).arg(before.size()));
    int wrong = 0;
    for (auto place = before.cbegin(); place != before.cend(); ++place)
        wrong += after.value(place.key()) == place.value() + QPointF(shift, 0) ? 0 : 1;
    Check(wrong == 0, QStringLiteral("%1 of %2 steps not %3").arg(wrong).arg(before.size()).arg(what));
}

} // namespace

void OpenLargeFrame(DesignerDriver& designer, int steps)
{
    designer.OpenFrame(LargeFrameID);
    const auto nodes = designer.Scene().Nodes().size();
    const auto links = designer.Scene().Links().size();
    Check(nodes == steps + 2 && links == LinksOf(steps),
          QStringLiteral("drawn %1 boxes and %2 arrows instead of %3 and %4")
              .arg(nodes)
              .arg(links)
              .arg(steps + 2)
              .arg(LinksOf(steps)));
}

Measurement SelectAllSteps(int steps)
{
    auto designer = LockedLargeFrame(steps);
    Probe probe;
    probe.Start();
    designer->Trigger(QStringLiteral("SelectAll"));
    designer->Settle();
    Measurement m = probe.Stop(QStringLiteral("%1 steps selected").arg(designer->SelectedSteps()));
    Check(designer->SelectedSteps() == steps,
          QStringLiteral("%1 of %2 steps selected").arg(designer->SelectedSteps()).arg(steps));
    return m;
}

Measurement MoveAllSteps(int steps)
{
    auto designer = LockedLargeFrame(steps);
    SelectEverything(*designer, steps);
    const QHash<QString, QPointF> before = designer->StepPlaces();
    Probe probe;
    probe.Start();
    designer->PressKey(Qt::Key_Right);
    designer->Settle();
    Measurement m = probe.Stop(QStringLiteral("%1 steps moved").arg(steps));
    CheckPlaces(*designer, before, FlowScene::GridTwips, QStringLiteral("moved one grid step right"));
    return m;
}

Measurement UndoMoveAllSteps(int steps)
{
    auto designer = LockedLargeFrame(steps);
    SelectEverything(*designer, steps);
    const QHash<QString, QPointF> before = designer->StepPlaces();
    designer->PressKey(Qt::Key_Right);
    designer->Settle();
    CheckPlaces(*designer, before, FlowScene::GridTwips, QStringLiteral("moved one grid step right"));
    Probe probe;
    probe.Start();
    designer->Trigger(QStringLiteral("Undo"));
    designer->Settle();
    Measurement m = probe.Stop(QStringLiteral("%1 steps moved back").arg(steps));
    CheckPlaces(*designer, before, 0, QStringLiteral("back in place"));
    return m;
}

Measurement PasteSteps(int steps)
{
    auto designer = LockedLargeFrame(steps);
    QStringList copied;
    for (int step = 1; step <= std::min(steps, PastedSteps); ++step)
        copied << StepID(SmallFrameSteps + step);
    designer->SelectSteps(copied);
    designer->Trigger(QStringLiteral("Copy"));
    designer->Settle();
    const int before = designer->ShownSteps();
    Probe probe;
    probe.Start();
    designer->Trigger(QStringLiteral("Paste"));
    designer->Settle();
    Measurement m = probe.Stop(QStringLiteral("%1 steps pasted").arg(copied.size()));
    const int added = designer->ShownSteps() - before;
    Check(added == copied.size(),
          QStringLiteral("%1 steps pasted instead of %2").arg(added).arg(copied.size()));
    return m;
}

Measurement CopyAllSteps(int steps)
{
    auto designer = LockedLargeFrame(steps);
    SelectEverything(*designer, steps);
    Probe probe;
    probe.Start();
    designer->Trigger(QStringLiteral("Copy"));
    designer->Settle();
    Measurement m = probe.Stop();
    const QMimeData* data = QApplication::clipboard()->mimeData();
    Check(data && data->hasFormat(StepsMimeType), QStringLiteral("the clipboard holds no steps"));
    m.note = QStringLiteral("%1 steps, %2 MiB of them on the clipboard, resident memory +%3 MiB")
                 .arg(steps)
                 .arg(Mb(data->data(StepsMimeType).size() / 1024))
                 .arg(Mb(m.rssGrowthKb));
    return m;
}

} // namespace korvel::bench

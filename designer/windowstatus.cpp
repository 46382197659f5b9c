#include "designer/windowstatus.h"

#include "canvas/flowview.h"
#include "core/errorlog.h"
#include "designer/framecommands.h"
#include "designer/frametree.h"
#include "model/cworders.h"
#include "persistence/cdboperate.h"
#include "resources/stringtable.h"

#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>

namespace korvel {
namespace {

// Keeps "[*]" in a name from being taken for the title's modified mark.
QString TitleText(QString text)
{
    return text.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
}

} // namespace

WindowStatus::WindowStatus(QMainWindow& window, cWOrders& workOrders, FlowView& flow, FrameTree& tree)
    : m_window(window), m_workOrders(workOrders), m_flow(flow), m_tree(tree)
{
    QStatusBar* status = window.statusBar();
    m_lockState = new QLabel(status);
    m_lockState->setObjectName(QStringLiteral("LockState"));
    status->addWidget(m_lockState);
    m_modifiedState = new QLabel(status);
    m_modifiedState->setObjectName(QStringLiteral("ModifiedState"));
    status->addWidget(m_modifiedState);
    const auto addStatus = [status](QLabel*& label, const char* name) {
        label = new QLabel(status);
        label->setObjectName(QString::fromLatin1(name));
        status->addPermanentWidget(label);
    };
    addStatus(m_saveState, "SaveState");
    addStatus(m_flowCounts, "FlowCounts");
    addStatus(m_zoomLevel, "ZoomLevel");
}

QLabel& WindowStatus::LockState()
{
    return *m_lockState;
}

QLabel& WindowStatus::ModifiedState()
{
    return *m_modifiedState;
}

QLabel& WindowStatus::SaveState()
{
    return *m_saveState;
}

QLabel& WindowStatus::FlowCounts()
{
    return *m_flowCounts;
}

QLabel& WindowStatus::ZoomLevel()
{
    return *m_zoomLevel;
}

void WindowStatus::ShowWindowState()
{
    cWorder* frame = m_workOrders.OneWorkOrder(m_workOrders.CurWOrder());
    const bool unsaved = frame && FrameCommands::Unsaved(*frame);
    if (frame)
        m_window.setWindowTitle(LoadResString(1200).arg(
            TitleText(frame->WorkOrderFrameName), TitleText(frame->WorkOrderFrame_ID), LoadResString(118)));
    else
        m_window.setWindowTitle(LoadResString(118));
    m_window.setWindowModified(unsaved);
    m_saveState->setText(unsaved ? LoadResString(1203) : QString());

    QString counts;
    if (frame) {
        qint32 steps = 0;
        qint32 links = 0;
        for (const auto& [id, node] : frame->AllNode().AllNode())
            steps += node->CanLoadFlag() == 1 ? 1 : 0;
        for (const auto& [id, link] : frame->AllLink().AllLinks())
            links += link->CanLoadFlag() == 1 ? 1 : 0;
        counts = LoadResString(1201).arg(steps).arg(links);
    }
    m_flowCounts->setText(counts);
    m_zoomLevel->setText(LoadResString(1202).arg(qRound(m_flow.Zoom() * 100)));
    m_tree.MarkUnsaved(unsaved ? frame->WorkOrderFrame_ID : QString());
}

void WindowStatus::ShowLockState()
{
    const cWorder* frame = m_workOrders.OneWorkOrder(m_workOrders.CurWOrder());
    QString text;
    IgnoreErrors([&] {
        LockHolder holder;
        const bool held = frame && frame->GetLockHolder(holder);
        if (!frame)
            text.clear();
        else if (frame->LockFlag() == 1)
            text = LoadResString(1006).arg(holder.since);
        else if (held)
            text = LoadResString(1007).arg(holder.name, holder.staffId, holder.since);
        else
            text = LoadResString(1008);
    });
    m_lockState->setText(text);
    QString modified;
    if (frame && !frame->Audit().ModifiedBy.isEmpty())
        modified = LoadResString(2031).arg(DBOperate().GetStaffName(frame->Audit().ModifiedBy),
                                           frame->Audit().ModifiedDate);
    m_modifiedState->setText(modified);
}

} // namespace korvel

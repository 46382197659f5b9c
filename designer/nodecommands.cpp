// FrmMain: the node commands of the canvas popup (add, edit, delete) and the step list.
#include "designer/frmmain.h"

#include "core/errorlog.h"
#include "widgets/uiservices.h"
#include "canvas/flowview.h"
#include "canvas/frameitems.h"
#include "document/framecontroller.h"
#include "document/upstreamsteps.h"
#include "dialogs/frmnode.h"
#include "dialogs/selectonlycombo.h"
#include "model/cworders.h"
#include "model/coordinates.h"
#include "resources/stringtable.h"
#include "widgets/uiservices.h"

#include <QLineEdit>
#include <QPushButton>
#include <memory>

namespace korvel {

namespace {

// Shows the dialog until it closes; true when it closed with a passed OK. The tag is emptied
// first, so a "T" left from an earlier round is never taken for a new OK.
bool ShowNodeDialog(FrmNode& dialog)
{
    dialog.setProperty("Tag", QString());
    Modals().showModal(dialog);
    return dialog.Tag() == QStringLiteral("T");
}

} // namespace

void FrmMain::FillStepCombo(const QString& nodeID, SelectOnlyCombo& combo)
{
    combo.Clear();
    cWorder* w = WorkOrders().OneWorkOrder(WorkOrders().CurWOrder());
    if (w == nullptr)
        return;
    for (const auto& [name, id] : UpstreamSteps(*w, nodeID))
        combo.AddItem(name, id);
    combo.EndFill();
}

void FrmMain::Menu_AddNode_Click()
{
    const QPointF place = m_popupPlace.value_or(ViewCentre());
    m_popupPlace.reset();
    AddNodeAt(place);
}

void FrmMain::AddNodeAt(const QPointF& place)
{
    try {
        const QString frameID = WorkOrders().CurWOrder();
        cWorder* w = WorkOrders().OneWorkOrder(frameID);
        if (w == nullptr)
            return;
        // The proposal skips the frame's unsaved steps too; an ID the database could not confirm
        // free is never proposed.
        QString proposed;
        try {
            proposed = w->AllNode().ProposeNodeID();
        } catch (const std::exception&) {
            InformDatabaseUnreadable(); // names the error the failed check logged
            return;
        }
        const auto dialog = std::make_unique<FrmNode>(this);
        dialog->CboStep->Clear();
        FillStepCombo(QString(), *dialog->CboStep);
        dialog->TxtID->setText(proposed);
        dialog->TxtID->setEnabled(true);
        for (;;) {
            if (!ShowNodeDialog(*dialog))
                return;
            const qint32 used = w->AllNode().NodeIDExists(dialog->TxtID->text().trimmed());
            if (used < 0)
                break;
            if (used == 0)
                InformDatabaseUnreadable();
            else
                Messages().information(LoadResString(128));
        }
        NodeValues values = dialog->Values(frameID);
        const QPointF topLeft = NodePlace(place);
        values.Left = ClampedCoordinate(topLeft.x());
        values.Top = ClampedCoordinate(topLeft.y());
        if (const auto added = m_frames->AddStep(frameID, values); !added.refusal.isEmpty())
            Messages().information(added.refusal);
    } catch (const std::exception& e) {
        LogError(QStringLiteral("[Korvel]-[FrmMain]-[Menu_AddNode_Click]:"), e);
    }
}

void FrmMain::Menu_EditNode_Click()
{
    try {
        const QString frameID = WorkOrders().CurWOrder();
        cWorder* w = WorkOrders().OneWorkOrder(frameID);
        if (w == nullptr)
            return;
        FlowNodeItem* s = AFFlow().Scene().SelectedNode();
        if (s == nullptr)
            return;
        cNode* n = w->AllNode().OneNode(s->Key().mid(1));
        if (n == nullptr)
            return;
        const auto dialog = std::make_unique<FrmNode>(this);
        dialog->TxtID->setText(n->WorkOrderNode_ID());
        dialog->TxtID->setEnabled(false);
        FillStepCombo(n->WorkOrderNode_ID(), *dialog->CboStep);
        dialog->Show(*n);
        if (!ShowNodeDialog(*dialog))
            return;
        m_frames->EditStep(frameID, n->WorkOrderNode_ID(), dialog->Values(frameID));
    } catch (const std::exception& e) {
        LogError(QStringLiteral("[Korvel]-[FrmMain]-[Menu_EditNode_Click]:"), e);
    }
}

void FrmMain::Menu_Del_Click()
{
    try {
        cWorder* w = WorkOrders().OneWorkOrder(WorkOrders().CurWOrder());
        if (w == nullptr)
            return;
        FlowNodeItem* s = AFFlow().Scene().SelectedNode();
        // The Start and End boxes are no nodes of the frame; neither is a lost selection.
        cNode* n = s != nullptr ? w->AllNode().OneNode(s->Key().mid(1)) : nullptr;
        if (n == nullptr) {
            Messages().information(LoadResString(129));
            return;
        }
        const QString question = LoadResString(130) + n->WorkOrderNodeName() + LoadResString(131);
        if (Messages().question(question, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
            return;
        DeleteSteps({n->WorkOrderNode_ID()}, LoadResString(1672).arg(n->WorkOrderNode_ID()));
    } catch (const std::exception& e) {
        LogError(QStringLiteral("[Korvel]-[FrmMain]-[Menu_Del_Click]:"), e);
    }
}

void FrmMain::DeleteSteps(const QStringList& ids, const QString& text)
{
    m_frames->DeleteSteps(WorkOrders().CurWOrder(), ids, text);
}

} // namespace korvel

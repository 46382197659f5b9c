// FrmMain: the node commands of the canvas popup (add, edit, delete) and the step list.
#include "designer/frmmain.h"

#include "core/errorlog.h"
#include "core/leadingnumber.h"
#include "designer/flowcanvas.h"
#include "designer/frameitems.h"
#include "designer/undocontroller.h"
#include "dialogs/frmnode.h"
#include "dialogs/numerictextbox.h"
#include "dialogs/selectonlycombo.h"
#include "model/cworders.h"
#include "persistence/cdboperate.h"
#include "resources/stringtable.h"
#include "widgets/uiservices.h"

#include <QCheckBox>
#include <QHash>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <memory>
#include <vector>

namespace korvel {

namespace {

qint32 Check(const QCheckBox* box)
{
    return box->isChecked() ? 1 : 0;
}

// The node values as the dialog holds them, at position (0, 0).
NodeValues DialogValues(const FrmNode& dialog, const QString& frameID)
{
    NodeValues v;
    v.WorkOrderFrame_ID = frameID;
    v.WorkOrderNode_ID = dialog.TxtID->text().trimmed();
    v.WorkOrderNodeName = dialog.TxtName->text().trimmed();
    v.ExpiredPeriod = dialog.TxtLen->WholeNumber();
    v.ExpiredPeriodType_ID = dialog.CboUnit->SelectedKey().trimmed();
    v.CanSendBack = Check(dialog.ChkBack);
    v.CanSendSelf = dialog.SendSelf();
    v.CanSkip = Check(dialog.CHKSendSkip);
    v.EmailNotify = QString::number(Check(dialog.ChkEmail));
    v.SMSNotify = QString::number(Check(dialog.CHKSMS));
    v.AddinType = dialog.OptMainFlow->isChecked() ? 0 : dialog.OptBuild->isChecked() ? 1 : 2;
    v.WEBLink = dialog.TxtWeb->text().trimmed();
    v.Group_IDA = dialog.CboBuild->SelectedKey();
    v.CanFullScreen = Check(dialog.ChkFull);
    v.HandleBy_ID = dialog.CboStaff->SelectedKey();
    v.HandleGroup_ID = dialog.CboStaffGroup->SelectedKey();
    v.ExpiredHandleBy_ID = dialog.CboExpirStaff->SelectedKey();
    v.ExpiredHandleGroup_ID = dialog.CboExpirGroup->SelectedKey();
    v.Top = 0;
    v.Left = 0;
    v.Priority_ID = dialog.CboPriority->SelectedKey();
    v.RefuseFlag = Check(dialog.ChkRefuseReply);
    v.CanClose = Check(dialog.ChkClose);
    v.ContactCust = Check(dialog.Check1);
    v.NextBeginTime = dialog.TxtNextTime->WholeNumber();
    v.TickOffFlag = !dialog.ChkTickOff->isChecked() ? 0 : dialog.ChkTickCLOSE->isChecked() ? 2 : 1;
    v.ReturnOldStep = dialog.OptOld->isChecked() ? dialog.CboStep->SelectedKey() : QString();
    v.CanModify = dialog.ChkModi1->isChecked() ? 1 : dialog.ChkModi2->isChecked() ? 2 : 0;
    v.CanBackToBy = Check(dialog.Check2);
    v.ToMultiHandleBy = dialog.OptMulti->isChecked() ? dialog.MultiHandleBy() : QString();
    v.ReturnGroupFlag = dialog.OptOld->isChecked() ? Check(dialog.chkReturnGroup) : 0;
    v.ForecastUnit = dialog.CboUnit1->SelectedKey();
    v.ForecastLen = dialog.TxtLen1->WholeNumber();
    return v;
}

// Sets every control from the node. Groups are chosen before their staff, because choosing a group
// refills its staff list.
void FillDialog(FrmNode& dialog, const cNode& node)
{
    dialog.TxtID->setText(node.WorkOrderNode_ID());
    dialog.TxtName->setText(node.WorkOrderNodeName());
    dialog.Check1->setChecked(node.ContactCust() != 0);
    dialog.CboUnit->SetKey(node.ExpiredPeriodType_ID());
    dialog.TxtLen->setText(QString::number(node.ExpiredPeriod()));
    dialog.ChkBack->setChecked(node.CanSendBack() != 0);
    dialog.setSendSelf(node.CanSendSelf());
    dialog.CHKSendSkip->setChecked(node.CanSkip() != 0);
    dialog.CboPriority->SetKey(node.PriorityID());
    dialog.ChkEmail->setChecked(LeadingNumber(node.EmailNotify()) != 0);
    dialog.ChkClose->setChecked(node.CanClose() != 0);
    dialog.Check2->setChecked(node.CanBackToBy() != 0);
    dialog.CHKSMS->setChecked(LeadingNumber(node.SMSNotify()) != 0);
    dialog.ChkRefuseReply->setChecked(node.RefuseReply() != 0);
    dialog.setMultiHandleBy(node.ToMultiHandleBy());
    if (node.AddinType() == 0) {
        dialog.OptMainFlow->setChecked(true);
    } else if (node.AddinType() == 1) {
        dialog.OptBuild->setChecked(true);
        dialog.CboBuild->SetKey(node.Group_IDA());
    } else {
        dialog.OptWeb->setChecked(true);
        dialog.TxtWeb->setText(node.WEBLink());
    }
    if (!node.ReturnOldStepID().isEmpty()) {
        dialog.OptOld->setChecked(true);
        dialog.CboStep->SetKey(node.ReturnOldStepID());
        dialog.chkReturnGroup->setChecked(node.ReturnGroupFlag() != 0);
    } else if (!node.ToMultiHandleBy().isEmpty()) {
        dialog.OptMulti->setChecked(true);
    } else {
        dialog.OptOther->setChecked(true);
        dialog.CboStep->SetKey(QString());
    }
    dialog.ChkFull->setChecked(node.CanFullScreen() != 0);
    dialog.CboStaffGroup->SetKey(node.HandleGroup_ID());
    dialog.CboStaff->SetKey(node.HandleBy_ID());
    dialog.CboExpirGroup->SetKey(node.ExpiredHandleGroup_ID());
    dialog.CboExpirStaff->SetKey(node.ExpiredHandleBy_ID());
    dialog.ChkModi1->setChecked(node.CanModify() == 1);
    dialog.ChkModi2->setChecked(node.CanModify() == 2);
    if (node.TickOffFlag() == 2) {
        dialog.ChkTickCLOSE->setChecked(true);
        dialog.ChkTickOff->setChecked(true);
    } else if (node.TickOffFlag() == 1) {
        dialog.ChkTickOff->setChecked(true);
    } else {
        dialog.ChkTickOff->setChecked(false);
    }
    dialog.CboUnit1->SetKey(node.ForecastUnit());
    dialog.TxtLen1->setText(QString::number(node.ForecastLen()));
    dialog.TxtNextTime->setText(QString::number(node.NextBeginTime()));
}

// Sets a property only when the value really differs: every set marks the node modified.
template <typename T>
void SetIfChanged(cNode& node, const T& value, const T& (cNode::*get)() const, void (cNode::*set)(const T&))
{
    if (!((node.*get)() == value))
        (node.*set)(value);
}

// Copies the dialog's values into an existing node. Frame, ID and canvas position are not the
// dialog's to change.
void ApplyChanges(cNode& n, const NodeValues& v)
{
    SetIfChanged(n, v.WorkOrderNodeName, &cNode::WorkOrderNodeName, &cNode::setWorkOrderNodeName);
    SetIfChanged(n, v.ExpiredPeriod, &cNode::ExpiredPeriod, &cNode::setExpiredPeriod);
    SetIfChanged(n, v.ExpiredPeriodType_ID, &cNode::ExpiredPeriodType_ID, &cNode::setExpiredPeriodType_ID);
    SetIfChanged(n, v.CanSendBack, &cNode::CanSendBack, &cNode::setCanSendBack);
    SetIfChanged(n, v.CanSendSelf, &cNode::CanSendSelf, &cNode::setCanSendSelf);
    SetIfChanged(n, v.CanSkip, &cNode::CanSkip, &cNode::setCanSkip);
    SetIfChanged(n, v.EmailNotify, &cNode::EmailNotify, &cNode::setEmailNotify);
    SetIfChanged(n, v.SMSNotify, &cNode::SMSNotify, &cNode::setSMSNotify);
    SetIfChanged(n, v.AddinType, &cNode::AddinType, &cNode::setAddinType);
    SetIfChanged(n, v.WEBLink, &cNode::WEBLink, &cNode::setWEBLink);
    SetIfChanged(n, v.Group_IDA, &cNode::Group_IDA, &cNode::setGroup_IDA);
    SetIfChanged(n, v.CanFullScreen, &cNode::CanFullScreen, &cNode::setCanFullScreen);
    SetIfChanged(n, v.HandleBy_ID, &cNode::HandleBy_ID, &cNode::setHandleBy_ID);
    SetIfChanged(n, v.HandleGroup_ID, &cNode::HandleGroup_ID, &cNode::setHandleGroup_ID);
    SetIfChanged(n, v.ExpiredHandleBy_ID, &cNode::ExpiredHandleBy_ID, &cNode::setExpiredHandleBy_ID);
    SetIfChanged(n, v.ExpiredHandleGroup_ID, &cNode::ExpiredHandleGroup_ID, &cNode::setExpiredHandleGroup_ID);
    SetIfChanged(n, v.Priority_ID, &cNode::PriorityID, &cNode::setPriorityID);
    SetIfChanged(n, v.RefuseFlag, &cNode::RefuseReply, &cNode::setRefuseReply);
    SetIfChanged(n, v.CanClose, &cNode::CanClose, &cNode::setCanClose);
    SetIfChanged(n, v.ContactCust, &cNode::ContactCust, &cNode::setContactCust);
    SetIfChanged(n, v.NextBeginTime, &cNode::NextBeginTime, &cNode::setNextBeginTime);
    SetIfChanged(n, v.TickOffFlag, &cNode::TickOffFlag, &cNode::setTickOffFlag);
    SetIfChanged(n, v.ReturnOldStep, &cNode::ReturnOldStepID, &cNode::setReturnOldStepID);
    SetIfChanged(n, v.CanModify, &cNode::CanModify, &cNode::setCanModify);
    SetIfChanged(n, v.CanBackToBy, &cNode::CanBackToBy, &cNode::setCanBackToBy);
    SetIfChanged(n, v.ToMultiHandleBy, &cNode::ToMultiHandleBy, &cNode::setToMultiHandleBy);
    SetIfChanged(n, v.ReturnGroupFlag, &cNode::ReturnGroupFlag, &cNode::setReturnGroupFlag);
    SetIfChanged(n, v.ForecastUnit, &cNode::ForecastUnit, &cNode::setForecastUnit);
    SetIfChanged(n, v.ForecastLen, &cNode::ForecastLen, &cNode::setForecastLen);
}

// Shows the dialog until it closes; true when it closed with a passed OK. The tag is emptied
// first, so a "T" left from an earlier round is never taken for a new OK.
bool ShowNodeDialog(FrmNode& dialog)
{
    dialog.setProperty("Tag", QString());
    Modals().showModal(dialog);
    return dialog.Tag() == QStringLiteral("T");
}

// Lists in `combo` every live node from which `nodeID` is reached along live links, each once, in
// the order a depth-first backward search meets them: from a step, the fathers of its live links
// in link order, each searched in full before the next. The edited node itself is never listed,
// even when a cycle leads back to it; a father that is no live node is passed over. The links are
// indexed by son once, with nodes numbered by position, so a flow of thousands of steps is listed
// in one pass over its links.
void AddUpstreamSteps(cWorder& w, const QString& nodeID, SelectOnlyCombo& combo)
{
    std::vector<const cNode*> nodes;
    QHash<QString, int> numbers; // node key -> position in `nodes`
    nodes.reserve(static_cast<size_t>(w.AllNode().AllNode().Count()));
    numbers.reserve(w.AllNode().AllNode().Count());
    for (const auto& [key, node] : w.AllNode().AllNode()) {
        numbers.insert(key, static_cast<int>(nodes.size()));
        nodes.push_back(node.get());
    }
    const auto liveNumber = [&](const QString& id) {
        const int number = numbers.value(id, -1);
        return number >= 0 && nodes[static_cast<size_t>(number)]->CanLoadFlag() == 1 ? number : -1;
    };

    // The live fathers of each node, and of `nodeID` itself (which need not be a node), in link order.
    std::vector<std::vector<int>> fathers(nodes.size());
    std::vector<int> fathersOfStart;
    for (const auto& [key, link] : w.AllLink().AllLinks()) {
        if (link->CanLoadFlag() != 1)
            continue;
        const int father = liveNumber(link->FatherNode_ID());
        if (father < 0)
            continue;
        const int son = numbers.value(link->SonNode_ID(), -1);
        if (son >= 0)
            fathers[static_cast<size_t>(son)].push_back(father);
        if (link->SonNode_ID() == nodeID)
            fathersOfStart.push_back(father);
    }

    std::vector<char> visited(nodes.size(), 0);
    if (const int start = numbers.value(nodeID, -1); start >= 0)
        visited[static_cast<size_t>(start)] = 1;
    // The nodes still to visit, the next on top: a node's fathers are pushed in reverse, so the
    // first of them is searched first.
    std::vector<int> pending(fathersOfStart.rbegin(), fathersOfStart.rend());
    while (!pending.empty()) {
        const auto number = static_cast<size_t>(pending.back());
        pending.pop_back();
        if (visited[number])
            continue;
        visited[number] = 1;
        combo.AddItem(nodes[number]->WorkOrderNodeName(), nodes[number]->WorkOrderNode_ID());
        pending.insert(pending.end(), fathers[number].rbegin(), fathers[number].rend());
    }
}

} // namespace

void FrmMain::FillStepCombo(const QString& nodeID, SelectOnlyCombo& combo)
{
    combo.Clear();
    cWorder* w = WorkOrders().OneWorkOrder(WorkOrders().CurWOrder());
    if (w == nullptr)
        return;
    AddUpstreamSteps(*w, nodeID, combo);
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
        NodeValues values = DialogValues(*dialog, frameID);
        const QPointF topLeft = NodePlace(place);
        values.Left = qRound(topLeft.x());
        values.Top = qRound(topLeft.y());
        m_undo->Edit(LoadResString(1670).arg(values.WorkOrderNode_ID), {values.WorkOrderNode_ID}, {},
                     [values](cWorder& frame) { frame.AllNode().NewNode(values); });
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
        FlowNodeItem* s = AFFlow().SelectedNode();
        if (s == nullptr)
            return;
        cNode* n = w->AllNode().OneNode(s->Key().mid(1));
        if (n == nullptr)
            return;
        const auto dialog = std::make_unique<FrmNode>(this);
        dialog->TxtID->setText(n->WorkOrderNode_ID());
        dialog->TxtID->setEnabled(false);
        FillStepCombo(n->WorkOrderNode_ID(), *dialog->CboStep);
        FillDialog(*dialog, *n);
        if (!ShowNodeDialog(*dialog))
            return;
        const QString id = n->WorkOrderNode_ID();
        m_undo->Edit(LoadResString(1671).arg(id), {id}, {},
                     [id, values = DialogValues(*dialog, frameID)](cWorder& frame) {
                         cNode* node = frame.AllNode().OneNode(id);
                         if (node)
                             ApplyChanges(*node, values);
                     });
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
        FlowNodeItem* s = AFFlow().SelectedNode();
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
    cWorder* w = WorkOrders().OneWorkOrder(WorkOrders().CurWOrder());
    if (w == nullptr || ids.isEmpty())
        return;
    // One step of the history: first the live links from or to the steps, then the steps.
    UndoController::Group group(*m_undo, text);
    const QSet<QString> steps(ids.cbegin(), ids.cend());
    for (const auto& [key, link] : w->AllLink().AllLinks()) {
        if (link->CanLoadFlag() != 1 ||
            !(steps.contains(link->FatherNode_ID()) || steps.contains(link->SonNode_ID())))
            continue;
        m_undo->Edit(LoadResString(1675).arg(link->WorkOrderLink_ID()), {}, {key}, [key](cWorder& frame) {
            cLink* held = frame.AllLink().OneLinks(key);
            if (held)
                held->DelMe();
        });
    }
    for (const QString& id : ids)
        m_undo->Edit(LoadResString(1672).arg(id), {id}, {},
                     [id](cWorder& frame) { frame.AllNode().DelNode(id); });
    group.Commit();
}

} // namespace korvel

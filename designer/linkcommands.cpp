// The link commands of the canvas's popup menu: add, edit and delete a link of the current frame.
// Changes stay in the frame's link collection until the frame is saved; the canvas follows at once.

#include "designer/frmmain.h"

#include "core/addinglobals.h"
#include "core/errorlog.h"
#include "designer/flowcanvas.h"
#include "designer/frameitems.h"
#include "designer/flowlinkitem.h"
#include "designer/flownodeitem.h"
#include "designer/undocontroller.h"
#include "dialogs/frmlink.h"
#include "dialogs/selectonlycombo.h"
#include "model/cworders.h"
#include "resources/stringtable.h"
#include "widgets/uiservices.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

namespace korvel {

namespace {

// The opening mode and condition as the dialog holds them. An always-open link carries no condition,
// whatever the condition fields were left holding.
struct DialogCondition {
    qint32 AlwaysOpen = 0;
    QString AddinVariant, CompareType, VariantValue;
};

DialogCondition ReadCondition(const FrmLink& dialog)
{
    DialogCondition condition;
    condition.AlwaysOpen = dialog.OptAll->isChecked() ? 0 : 1;
    if (condition.AlwaysOpen == 1) {
        condition.AddinVariant = dialog.TxtFilter->text();
        condition.CompareType = dialog.CboRelation->currentText();
        condition.VariantValue = dialog.TxtValue->text();
    }
    return condition;
}

} // namespace

void FrmMain::Menu_AddLink_Click()
{
    AddLink(QString(), QString());
}

void FrmMain::AddLink(const QString& fatherID, const QString& sonID)
{
    try {
        cWorder* work = WorkOrders().OneWorkOrder(WorkOrders().CurWOrder());
        if (!work)
            return;

        FrmLink dialog(this);
        dialog.TxtID->setText(Utility().NewUniqueKey().right(6));
        dialog.LoadBeginPage(*work, QString(), 1);
        // Ends chosen on the canvas: the son list follows the father, and a pair the rules refuse
        // stays unselected, for the dialog's checks to explain.
        if (!fatherID.isEmpty())
            dialog.CboParent->SetKey(fatherID);
        if (!sonID.isEmpty())
            dialog.CboChild->SetKey(sonID);
        Modals().showModal(dialog);
        if (dialog.Tag() != QLatin1String("T"))
            return;

        const DialogCondition condition = ReadCondition(dialog);
        LinkValues values;
        // The dialog measured and looked up the trimmed code; that is the code the link gets, so a
        // code with stray blanks can neither exceed the 6-byte limit nor slip past the duplicate check.
        values.WorkOrderLink_ID = dialog.TxtID->text().trimmed();
        values.WorkOrderFrame_ID = work->WorkOrderFrame_ID;
        values.WorkOrderLinkName = dialog.Txtdesc->text();
        values.SonNode_ID = dialog.CboChild->SelectedKey();
        values.FatherNode_ID = dialog.CboParent->SelectedKey();
        values.AlwaysOpen = condition.AlwaysOpen;
        values.AddinVariant = condition.AddinVariant;
        values.CompareType = condition.CompareType;
        values.VariantValue = condition.VariantValue;
        m_undo->Edit(LoadResString(1673).arg(values.WorkOrderLink_ID), {}, {values.WorkOrderLink_ID},
                     [values](cWorder& frame) { frame.AllLink().NewMe(values); });
    } catch (const std::exception& error) {
        LogError(QStringLiteral("[Korvel]-[FrmMain]-[Menu_AddLink_Click]:"), error);
    }
}

void FrmMain::Menu_EditLink_Click()
{
    try {
        cWorder* work = WorkOrders().OneWorkOrder(WorkOrders().CurWOrder());
        if (!work)
            return;
        const FlowLinkItem* selected = AFFlow().SelectedLink();
        if (!selected)
            return;
        const QString arrowKey = selected->Key();
        cLink* link = work->AllLink().OneLinks(arrowKey.mid(1));
        if (!link)
            return;

        FrmLink dialog(this);
        dialog.LoadBeginPage(*work, link->FatherNode_ID(), 0);
        dialog.setCurLinkTo(link->SonNode_ID());
        dialog.TxtID->setText(link->WorkOrderLink_ID());
        dialog.TxtID->setEnabled(false);
        dialog.Txtdesc->setText(link->WorkOrderLinkName());
        dialog.CboParent->SetKey(link->FatherNode_ID());
        dialog.CboChild->SetKey(link->SonNode_ID());
        if (link->AlwaysOpen() != 0) {
            dialog.OptFilter->setChecked(true);
            dialog.TxtFilter->setText(link->AddinVariant());
            // An operator that is not one of the list's five stays unselected; OK then asks for one.
            dialog.CboRelation->setCurrentIndex(dialog.CboRelation->findText(link->CompareType()));
            dialog.TxtValue->setText(link->VariantValue());
        } else {
            dialog.OptAll->setChecked(true);
        }
        // The ends of an existing link cannot change.
        dialog.CboChild->setEnabled(false);
        dialog.CboParent->setEnabled(false);

        Modals().showModal(dialog);
        if (dialog.Tag() != QLatin1String("T"))
            return;

        const QString key = arrowKey.mid(1);
        m_undo->Edit(LoadResString(1674).arg(key), {}, {key},
                     [key, name = dialog.Txtdesc->text(), condition = ReadCondition(dialog)](cWorder& frame) {
                         cLink* edited = frame.AllLink().OneLinks(key);
                         if (!edited)
                             return;
                         if (name != edited->WorkOrderLinkName())
                             edited->setWorkOrderLinkName(name);
                         if (condition.AlwaysOpen != edited->AlwaysOpen())
                             edited->setAlwaysOpen(condition.AlwaysOpen);
                         if (condition.AddinVariant != edited->AddinVariant())
                             edited->setAddinVariant(condition.AddinVariant);
                         if (condition.CompareType != edited->CompareType())
                             edited->setCompareType(condition.CompareType);
                         if (condition.VariantValue != edited->VariantValue())
                             edited->setVariantValue(condition.VariantValue);
                     });
    } catch (const std::exception& error) {
        LogError(QStringLiteral("[Korvel]-[FrmMain]-[Menu_EditLink_Click]:"), error);
    }
}

void FrmMain::Menu_DelLink_Click()
{
    try {
        cWorder* work = WorkOrders().OneWorkOrder(WorkOrders().CurWOrder());
        if (!work)
            return;
        FlowLinkItem* arrow = AFFlow().SelectedLink();
        if (!arrow)
            return;
        const QString linkID = arrow->Key().mid(1);
        const cLink* link = work->AllLink().OneLinks(linkID);
        if (!link) {
            LogError(QStringLiteral("[Korvel]-[FrmMain]-[Menu_DelLink_Click]:"),
                     QStringLiteral("the frame holds no link ") + linkID);
            return;
        }

        const QString question = LoadResString(132) + link->WorkOrderLinkName() + LoadResString(133);
        if (Messages().question(question, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
            return;
        // Only this arrow goes, even when the user had more items selected: the nodes stay.
        m_undo->Edit(LoadResString(1675).arg(linkID), {}, {linkID},
                     [linkID](cWorder& frame) {
                         if (!frame.AllLink().Del(linkID))
                             Messages().information(LoadResString(216));
                     });
    } catch (const std::exception& error) {
        LogError(QStringLiteral("[Korvel]-[FrmMain]-[Menu_DelLink_Click]:"), error);
    }
}

} // namespace korvel

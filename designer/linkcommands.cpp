// The link commands of the canvas's popup menu: add, edit and delete a link of the current frame.
// Changes stay in the frame's link collection until the frame is saved; the canvas follows at once.

#include "designer/frmmain.h"

#include "core/addinglobals.h"
#include "core/errorlog.h"
#include "widgets/uiservices.h"
#include "canvas/flowview.h"
#include "canvas/frameitems.h"
#include "canvas/flowlinkitem.h"
#include "canvas/flownodeitem.h"
#include "document/framecontroller.h"
#include "dialogs/frmlink.h"
#include "dialogs/selectonlycombo.h"
#include "model/cworders.h"
#include "resources/stringtable.h"
#include "widgets/uiservices.h"

#include <QLineEdit>

namespace korvel {


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

        const LinkEdit condition = dialog.Edit();
        LinkValues values;
        // The dialog measured and looked up the trimmed code; that is the code the link gets, so a
        // code with stray blanks can neither exceed the 6-byte limit nor slip past the duplicate check.
        values.WorkOrderLink_ID = dialog.TxtID->text().trimmed();
        values.WorkOrderFrame_ID = work->WorkOrderFrame_ID;
        values.WorkOrderLinkName = condition.name;
        values.SonNode_ID = dialog.CboChild->SelectedKey();
        values.FatherNode_ID = dialog.CboParent->SelectedKey();
        values.AlwaysOpen = condition.AlwaysOpen;
        values.AddinVariant = condition.AddinVariant;
        values.CompareType = condition.CompareType;
        values.VariantValue = condition.VariantValue;
        if (const auto added = m_frames->AddLink(work->WorkOrderFrame_ID, values); !added.refusal.isEmpty())
            Messages().information(added.refusal);
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
        const FlowLinkItem* selected = AFFlow().Scene().SelectedLink();
        if (!selected)
            return;
        const QString arrowKey = selected->Key();
        cLink* link = work->AllLink().OneLinks(arrowKey.mid(1));
        if (!link)
            return;

        FrmLink dialog(this);
        dialog.Show(*work, *link);

        Modals().showModal(dialog);
        if (dialog.Tag() != QLatin1String("T"))
            return;

        m_frames->EditLink(work->WorkOrderFrame_ID, arrowKey.mid(1), dialog.Edit());
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
        FlowLinkItem* arrow = AFFlow().Scene().SelectedLink();
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
        m_frames->DeleteLink(work->WorkOrderFrame_ID, linkID);
    } catch (const std::exception& error) {
        LogError(QStringLiteral("[Korvel]-[FrmMain]-[Menu_DelLink_Click]:"), error);
    }
}

} // namespace korvel

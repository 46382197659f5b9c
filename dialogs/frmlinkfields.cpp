// The link dialog's controls as a link's values, both ways.
#include "dialogs/frmlink.h"

#include "dialogs/selectonlycombo.h"
#include "model/clink.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

namespace korvel {

LinkEdit FrmLink::Edit() const
{
    LinkEdit edit;
    edit.name = Txtdesc->text();
    edit.AlwaysOpen = OptAll->isChecked() ? 0 : 1;
    if (edit.AlwaysOpen == 1) {
        edit.AddinVariant = TxtFilter->text();
        edit.CompareType = CboRelation->currentText();
        edit.VariantValue = TxtValue->text();
    }
    return edit;
}

LinkValues FrmLink::Values(const QString& frameID) const
{
    const LinkEdit condition = Edit();
    LinkValues values;
    // The dialog measured and looked up the trimmed code; that is the code the link gets, so a code
    // with stray blanks can neither exceed the 6-byte limit nor slip past the duplicate check.
    values.WorkOrderLink_ID = TxtID->text().trimmed();
    values.WorkOrderFrame_ID = frameID;
    values.WorkOrderLinkName = condition.name;
    values.SonNode_ID = CboChild->SelectedKey();
    values.FatherNode_ID = CboParent->SelectedKey();
    values.AlwaysOpen = condition.AlwaysOpen;
    values.AddinVariant = condition.AddinVariant;
    values.CompareType = condition.CompareType;
    values.VariantValue = condition.VariantValue;
    return values;
}

void FrmLink::Show(cWorder& frame, const cLink& link)
{
    LoadBeginPage(frame, link.FatherNode_ID(), 0);
    setCurLinkTo(link.SonNode_ID());
    TxtID->setText(link.WorkOrderLink_ID());
    TxtID->setEnabled(false);
    Txtdesc->setText(link.WorkOrderLinkName());
    CboParent->SetKey(link.FatherNode_ID());
    CboChild->SetKey(link.SonNode_ID());
    if (link.AlwaysOpen() != 0) {
        OptFilter->setChecked(true);
        TxtFilter->setText(link.AddinVariant());
        // An operator that is not one of the list's five stays unselected; OK then asks for one.
        CboRelation->setCurrentIndex(CboRelation->findText(link.CompareType()));
        TxtValue->setText(link.VariantValue());
    } else {
        OptAll->setChecked(true);
    }
    // The ends of an existing link cannot change.
    CboChild->setEnabled(false);
    CboParent->setEnabled(false);
}

} // namespace korvel

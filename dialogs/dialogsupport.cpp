#include "dialogs/dialogsupport.h"

#include "core/uiservices.h"
#include "resources/stringtable.h"

namespace korvel {

bool RefuseUnstorableText(QWidget& dialog)
{
    const auto boxes = dialog.findChildren<QLineEdit*>();
    for (QLineEdit* box : boxes) {
        if (!HasUnstorableCharacter(box->text()))
            continue;
        Messages().information(LoadResString(1002));
        box->setFocus();
        return true;
    }
    return false;
}

} // namespace korvel

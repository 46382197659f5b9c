#include "dialogs/dialogsupport.h"

#include "core/storabletext.h"
#include "resources/stringtable.h"
#include "widgets/uiservices.h"

#include <QLabel>

namespace korvel {
namespace {

// What a message calls the box: its label's text, else its caption property, without the
// shortcut mark and the closing colon.
QString Caption(const QWidget& dialog, const QLineEdit& box)
{
    QString caption = box.objectName();
    if (const QVariant id = box.property(CaptionProperty); id.isValid())
        caption = LoadResString(id.toInt());
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        if (label->buddy() == &box)
            caption = label->text();
    caption.remove(u'&');
    while (caption.endsWith(u':') || caption.endsWith(u'：') || caption.endsWith(u' '))
        caption.chop(1);
    return caption;
}

} // namespace

bool RefuseUnstorableText(QWidget& dialog)
{
    const auto boxes = dialog.findChildren<QLineEdit*>();
    for (QLineEdit* box : boxes) {
        const QString character = UnstorableCharacter(box->text());
        if (character.isEmpty())
            continue;
        Messages().warning(LoadResString(1971).arg(Caption(dialog, *box), character));
        box->setFocus();
        return true;
    }
    return false;
}

} // namespace korvel

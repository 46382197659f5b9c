#pragma once

#include <QGuiApplication>
#include <QLineEdit>
#include <QRect>
#include <QScreen>
#include <QString>
#include <QWidget>

namespace korvel {

// A control named `name` (its object name, which callers and tests look it up by) whose caption is
// string-table id `id`, stored in its "Tag" property for LocaliseForm; 0 keeps the design text.
template <typename Control> Control* MakeControl(QWidget* parent, const char* name, qint32 id = 0)
{
    auto* control = new Control(parent);
    control->setObjectName(QString::fromLatin1(name));
    if (id > 0)
        control->setProperty("Tag", QString::number(id));
    return control;
}

// Places the dialog in the middle of the screen it is on (the primary screen before it is shown).
inline void CentreOnScreen(QWidget& dialog)
{
    const QScreen* screen = dialog.screen() ? dialog.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    dialog.move(area.left() + (area.width() - dialog.width()) / 2,
                area.top() + (area.height() - dialog.height()) / 2);
}

// The string-table id of the caption a text box without a label of its own (QLabel::buddy) is
// named by in messages.
inline constexpr const char* CaptionProperty = "Caption";

// Run first by a dialog's OK: refuses a text box of the dialog whose text no database can store
// (UnstorableCharacter), with a message naming the box and the focus on it. True when it refused.
bool RefuseUnstorableText(QWidget& dialog);

} // namespace korvel

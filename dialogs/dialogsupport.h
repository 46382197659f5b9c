#pragma once

#include <QGuiApplication>
#include <QLineEdit>
#include <QRect>
#include <QScreen>
#include <QString>
#include <QWidget>
#include <algorithm>

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

// True when `text` holds a character that no statement can carry into every database: a control
// character other than tab and line breaks (NUL above all).
inline bool HasUnstorableCharacter(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        return c.category() == QChar::Other_Control && c != u'\t' && c != u'\n' && c != u'\r';
    });
}

// Run first by a dialog's OK: refuses a text box of the dialog whose text cannot be stored, with
// the message and the focus on that box. True when it refused.
bool RefuseUnstorableText(QWidget& dialog);

} // namespace korvel

#include "dialogs/selectonlycombo.h"

#include "resources/stringtable.h"

#include <QSignalBlocker>

namespace korvel {

SelectOnlyCombo::SelectOnlyCombo(QWidget* parent) : QComboBox(parent)
{
    setEditable(false);
    setInsertPolicy(QComboBox::NoInsert);
    // activated is emitted only for the user's own choices; code goes through setListIndex/SetKey.
    connect(this, &QComboBox::activated, this, [this](int position) { emit SelectionChanged(position); });
}

void SelectOnlyCombo::selectQuietly(int position)
{
    const QSignalBlocker blocker(this);
    setCurrentIndex(position);
}

void SelectOnlyCombo::Clear()
{
    const QSignalBlocker blocker(this);
    clear();
}

void SelectOnlyCombo::AddItem(const QString& text, const QString& key)
{
    const int before = currentIndex();
    const QSignalBlocker blocker(this);
    addItem(text, key);
    // QComboBox selects the first item put into an empty list; a fill must not select anything.
    if (before < 0)
        setCurrentIndex(-1);
}

void SelectOnlyCombo::AddStep(const QString& name, const QString& id)
{
    AddItem(LoadResString(1811).arg(name, id), id);
}

void SelectOnlyCombo::EndFill()
{
    selectQuietly(-1);
}

QString SelectOnlyCombo::SelectedKey() const
{
    return KeyAt(currentIndex());
}

int SelectOnlyCombo::ListIndex() const
{
    return currentIndex();
}

void SelectOnlyCombo::setListIndex(int position)
{
    selectQuietly(position >= 0 && position < count() ? position : -1);
    emit SelectionChanged(currentIndex());
}

QString SelectOnlyCombo::KeyAt(int position) const
{
    if (position < 0 || position >= count())
        return {};
    return itemData(position).toString();
}

int SelectOnlyCombo::FindKey(const QString& key) const
{
    for (int i = 0; i < count(); ++i) {
        if (itemData(i).toString() == key)
            return i;
    }
    return -1;
}

void SelectOnlyCombo::SetKey(const QString& key)
{
    setListIndex(FindKey(key));
}

} // namespace korvel

#pragma once

#include <QComboBox>
#include <QString>

namespace korvel {

// A drop-down list the user can only pick from. Every item has a display text and a key; the
// list is read by the key (or position) of the selected item.
//
// Filling: Clear(), AddItem() per row, EndFill(). While filling, nothing becomes selected (a plain
// QComboBox would select the first item added); EndFill() leaves no item selected.
//
// SelectionChanged(position) is raised by a user's choice (mouse, keyboard, wheel; also when the
// user picks the item that is already selected) and by setListIndex()/SetKey() in code, also when
// the position does not change. Clear(), AddItem() and EndFill() raise nothing.
class SelectOnlyCombo final : public QComboBox {
    Q_OBJECT
public:
    explicit SelectOnlyCombo(QWidget* parent = nullptr);

    void Clear();
    void AddItem(const QString& text, const QString& key);
    // A step picked by name and kept by ID: shown "name (ID)", so steps of one name are told apart.
    void AddStep(const QString& name, const QString& id);
    void EndFill();

    // The key of the selected item; "" when nothing is selected.
    QString SelectedKey() const;
    // The position of the selected item; -1 when nothing is selected.
    int ListIndex() const;
    // Selects the item at `position` (an out-of-range position, -1 included, selects nothing) and
    // raises SelectionChanged.
    void setListIndex(int position);
    // The key of the item at `position`; "" when out of range.
    QString KeyAt(int position) const;
    // Selects the first item whose key equals `key` exactly (nothing when none has it) and raises
    // SelectionChanged like a user's choice.
    void SetKey(const QString& key);
    // The position of the first item with that key, -1 when none.
    int FindKey(const QString& key) const;

signals:
    void SelectionChanged(int position);

private:
    void selectQuietly(int position);
};

} // namespace korvel

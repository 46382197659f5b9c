#pragma once

#include <QDialog>
#include <QHash>
#include <QString>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace korvel {

// The document-template picker: document groups at the root of TreeView1, each group's active
// templates beneath it. An item's key ("G" + group ID, "D" + template ID) is its data(0, Qt::UserRole),
// its image key ("Group" or "Doc") its data(0, ImageKeyRole).
//
// The caller constructs the picker (which builds the tree), may preselect a template with
// SelectKey("D" + template ID), shows it modally and, when Tag() is "T", reads the selected item:
// its text is the template's description, its key and its parent's key give the template and group.
// Tag() is "" after Cancel or any other way of closing.
class FrmSelectDoc final : public QDialog {
    Q_OBJECT
public:
    static constexpr int ImageKeyRole = Qt::UserRole + 1;

    explicit FrmSelectDoc(QWidget* parent = nullptr);

    QString Tag() const;

    // Makes the item with this key the only selected (and current) one; selects nothing when the
    // tree has no such item.
    void SelectKey(const QString& key);
    // The item with this key, or nullptr.
    QTreeWidgetItem* ItemByKey(const QString& key) const;
    // The key of an item ("" for nullptr).
    static QString ItemKey(const QTreeWidgetItem* item);
    // The selected item, or nullptr.
    QTreeWidgetItem* SelectedItem() const;

    QTreeWidget* TreeView1 = nullptr;
    QPushButton* CmdOK = nullptr;
    QPushButton* CmdCancel = nullptr;

public slots:
    void reject() override;

private:
    void LoadDocGroups();
    void LoadDocTemplates();
    QTreeWidgetItem* AddNode(QTreeWidgetItem* parent, const QString& key, const QString& text,
                             const QString& imageKey);
    void CmdOK_Click();
    void CmdCancel_Click();
    void setTag(const QString& tag);

    QHash<QString, QTreeWidgetItem*> m_items;
};

} // namespace korvel

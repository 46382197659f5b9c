#include "dialogs/frmselectdoc.h"

#include "dialogs/dialogsupport.h"

#include "core/addinglobals.h"
#include "core/errorlog.h"
#include "persistence/connection.h"
#include "resources/stringtable.h"
#include "widgets/localiseform.h"
#include "widgets/uiservices.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace korvel {
namespace {

QIcon ImageFor(const QString& imageKey)
{
    const auto pixmap = imageKey == QLatin1String("Group") ? QStyle::SP_DirIcon : QStyle::SP_FileIcon;
    return QApplication::style()->standardIcon(pixmap);
}

} // namespace

FrmSelectDoc::FrmSelectDoc(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmSelectDoc"));
    setModal(true);

    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setColumnCount(1);
    TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    TreeView1->setRootIsDecorated(true);

    CmdOK = new QPushButton(this);
    CmdOK->setObjectName(QStringLiteral("CmdOK"));
    CmdOK->setText(QStringLiteral("OK"));
    CmdOK->setProperty("Tag", QStringLiteral("98"));
    CmdOK->setAutoDefault(false);
    CmdCancel = new QPushButton(this);
    CmdCancel->setObjectName(QStringLiteral("CmdCancel"));
    CmdCancel->setText(QStringLiteral("Cancel"));
    CmdCancel->setProperty("Tag", QStringLiteral("99"));
    CmdCancel->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CmdOK);
    buttons->addWidget(CmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(TreeView1);
    layout->addLayout(buttons);
    resize(360, 420);

    connect(CmdOK, &QPushButton::clicked, this, [this] { CmdOK_Click(); });
    connect(CmdCancel, &QPushButton::clicked, this, [this] { CmdCancel_Click(); });

    // Load: texts, host style, caption, the two levels of the tree, then centre on the screen.
    LocaliseForm(*this);
    IgnoreErrors([this] { Utility().ApplyFormStyle(this); });
    IgnoreErrors([this] { setWindowTitle(LoadResString(214)); });
    LoadDocGroups();
    LoadDocTemplates();
    CentreOnScreen(*this);
    setTag(QString());
}

QString FrmSelectDoc::Tag() const
{
    return property("Tag").toString();
}

void FrmSelectDoc::setTag(const QString& tag)
{
    setProperty("Tag", tag);
}

QString FrmSelectDoc::ItemKey(const QTreeWidgetItem* item)
{
    return item ? item->data(0, Qt::UserRole).toString() : QString();
}

QTreeWidgetItem* FrmSelectDoc::ItemByKey(const QString& key) const
{
    return m_items.value(key, nullptr);
}

QTreeWidgetItem* FrmSelectDoc::SelectedItem() const
{
    const auto selected = TreeView1->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

void FrmSelectDoc::SelectKey(const QString& key)
{
    QTreeWidgetItem* item = ItemByKey(key);
    if (!item)
        return;
    TreeView1->clearSelection();
    TreeView1->setCurrentItem(item);
    item->setSelected(true);
    TreeView1->scrollToItem(item);
}

QTreeWidgetItem* FrmSelectDoc::AddNode(QTreeWidgetItem* parent, const QString& key, const QString& text,
                                       const QString& imageKey)
{
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(TreeView1);
    item->setText(0, text);
    item->setData(0, Qt::UserRole, key);
    item->setData(0, ImageKeyRole, imageKey);
    item->setIcon(0, ImageFor(imageKey));
    m_items.insert(key, item);
    return item;
}

void FrmSelectDoc::LoadDocGroups()
{
    std::unique_ptr<Recordset> rs;
    IgnoreErrors(
        [&] { rs = Connection::Shared().OpenRecordset(R"(SELECT DocGroup_ID,Description  FROM DocGroup)"); });
    if (!rs || !rs->IsOpen())
        return;
    while (!rs->IsEOF()) {
        // A row that cannot be read, or whose key is already in the tree, is left out.
        IgnoreErrors([&] {
            const QString key =
                QStringLiteral("G") + Utility().FieldToString(rs->Fields(QStringLiteral("DocGroup_ID")));
            const QString text = Utility().FieldToString(rs->Fields(QStringLiteral("Description")));
            if (!m_items.contains(key))
                AddNode(nullptr, key, text, QStringLiteral("Group"));
        });
        rs->MoveNext();
    }
    rs->Close();
}

void FrmSelectDoc::LoadDocTemplates()
{
    std::unique_ptr<Recordset> rs;
    IgnoreErrors([&] {
        rs = Connection::Shared().OpenRecordset(
            R"(SELECT DocTemplate_ID,Description,DOCGROUP_ID,DocumentPath,DocumentPath2,MailMerge  FROM DocTemplate Where Status=1)");
    });
    if (!rs || !rs->IsOpen())
        return;
    while (!rs->IsEOF()) {
        // A template whose group is not in the tree, or whose key is taken, is left out.
        IgnoreErrors([&] {
            const QString key =
                QStringLiteral("D") + Utility().FieldToString(rs->Fields(QStringLiteral("DocTemplate_ID")));
            const QString text = Utility().FieldToString(rs->Fields(QStringLiteral("Description")));
            const QString groupKey =
                QStringLiteral("G") + Utility().FieldToString(rs->Fields(QStringLiteral("DOCGROUP_ID")));
            QTreeWidgetItem* group = ItemByKey(groupKey);
            if (group && !m_items.contains(key))
                AddNode(group, key, text, QStringLiteral("Doc"));
        });
        rs->MoveNext();
    }
    rs->Close();
}

void FrmSelectDoc::CmdOK_Click()
{
    const QTreeWidgetItem* item = SelectedItem();
    if (!item || ItemKey(item).startsWith(QLatin1Char('G'))) {
        IgnoreErrors([] { Messages().warning(LoadResString(215)); });
        return;
    }
    setTag(QStringLiteral("T"));
    hide();
}

void FrmSelectDoc::CmdCancel_Click()
{
    setTag(QString());
    hide();
}

void FrmSelectDoc::reject()
{
    setTag(QString());
    QDialog::reject();
}

} // namespace korvel

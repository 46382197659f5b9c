#include "designer/historypanel.h"

#include "core/errorlog.h"
#include "model/framehistory.h"
#include "persistence/cdboperate.h"
#include "resources/stringtable.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace korvel {
namespace {

// String-table ids.
enum : qint32 {
    MsgTitle = 2080,
    MsgVersionColumn = 2081,
    MsgByColumn = 2082,
    MsgWhenColumn = 2083,
    MsgSummaryColumn = 2084,
    MsgCompare = 2085,
    MsgRestore = 2086,
    MsgUndelete = 2087,
    MsgBack = 2088,
    MsgChanges = 2102,
};

constexpr int VersionRole = Qt::UserRole;

} // namespace

HistoryPanel::HistoryPanel(QWidget* parent) : QDockWidget(parent)
{
    setObjectName(QStringLiteral("HistoryDock"));
    setWindowTitle(LoadResString(MsgTitle));
    setAllowedAreas(Qt::RightDockWidgetArea | Qt::LeftDockWidgetArea | Qt::BottomDockWidgetArea);
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    toggleViewAction()->setObjectName(QStringLiteral("History"));

    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* top = new QHBoxLayout;
    m_shown = new QLabel(body);
    m_shown->setObjectName(QStringLiteral("LblShown"));
    m_shown->setWordWrap(true);
    top->addWidget(m_shown, 1);
    const auto addButton = [&](QBoxLayout& row, const char* name, qint32 textId, void (HistoryPanel::*signal)()) {
        auto* button = new QPushButton(LoadResString(textId), body);
        button->setObjectName(QString::fromLatin1(name));
        row.addWidget(button);
        m_buttons.insert(button->objectName(), button);
        connect(button, &QPushButton::clicked, this, signal);
    };
    addButton(*top, "CmdBack", MsgBack, &HistoryPanel::BackRequested);
    layout->addLayout(top);

    m_versions = new QTreeWidget(body);
    m_versions->setObjectName(QStringLiteral("LstVersions"));
    m_versions->setColumnCount(4);
    m_versions->setRootIsDecorated(false);
    m_versions->setUniformRowHeights(true);
    // One version is shown; two are compared.
    m_versions->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_versions->setHeaderLabels({LoadResString(MsgVersionColumn), LoadResString(MsgByColumn),
                                 LoadResString(MsgWhenColumn), LoadResString(MsgSummaryColumn)});
    for (int column = 0; column < 3; ++column)
        m_versions->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    layout->addWidget(m_versions, 2);
    const auto choose = [this](QTreeWidgetItem* row) {
        if (row && m_versions->selectedItems().size() == 1)
            emit VersionChosen(row->data(0, VersionRole).toInt());
    };
    connect(m_versions, &QTreeWidget::itemClicked, this, choose);
    connect(m_versions, &QTreeWidget::itemActivated, this, choose);

    auto* buttons = new QHBoxLayout;
    addButton(*buttons, "CmdCompare", MsgCompare, &HistoryPanel::CompareRequested);
    addButton(*buttons, "CmdRestore", MsgRestore, &HistoryPanel::RestoreRequested);
    addButton(*buttons, "CmdUndelete", MsgUndelete, &HistoryPanel::UndeleteRequested);
    buttons->addStretch();
    layout->addLayout(buttons);

    m_changes = new QTreeWidget(body);
    m_changes->setObjectName(QStringLiteral("LstChanges"));
    m_changes->setRootIsDecorated(false);
    m_changes->setHeaderLabels({LoadResString(MsgChanges)});
    m_changes->hide();
    layout->addWidget(m_changes, 1);
    const auto chooseChange = [this](QTreeWidgetItem* row) {
        if (row)
            emit ChangeChosen(m_changes->indexOfTopLevelItem(row));
    };
    connect(m_changes, &QTreeWidget::itemClicked, this, chooseChange);
    connect(m_changes, &QTreeWidget::itemActivated, this, chooseChange);

    setWidget(body);
    ShowShown(QString());
}

QPushButton& HistoryPanel::Button(const QString& name)
{
    return *m_buttons.value(name);
}

void HistoryPanel::ShowVersions(const QString& title, const QList<FrameVersionRow>& rows, bool deleted)
{
    m_title = title;
    if (m_buttons.value(QStringLiteral("CmdBack"))->isHidden())
        m_shown->setText(title);
    const QList<int> selected = SelectedVersions();
    m_versions->clear();
    QList<QTreeWidgetItem*> items;
    for (const FrameVersionRow& row : rows) {
        auto name = m_names.find(row.staffId);
        if (name == m_names.end()) {
            QString staff;
            IgnoreErrors([&] { staff = DBOperate().GetStaffName(row.staffId); });
            name = m_names.insert(row.staffId, staff.isEmpty() ? row.staffId : staff);
        }
        QString summary;
        IgnoreErrors([&] { summary = FrameHistory::SummaryLine(row); });
        auto* item = new QTreeWidgetItem;
        item->setText(0, QString::number(row.version));
        item->setData(0, VersionRole, row.version);
        item->setText(1, *name);
        item->setToolTip(1, row.staffId);
        item->setText(2, row.savedAt);
        item->setText(3, summary);
        item->setToolTip(3, summary);
        items << item;
    }
    m_versions->addTopLevelItems(items);
    SelectVersions(selected);
    m_buttons.value(QStringLiteral("CmdRestore"))->setVisible(!deleted);
    m_buttons.value(QStringLiteral("CmdUndelete"))->setVisible(deleted);
}

void HistoryPanel::ShowShown(const QString& text)
{
    m_shown->setText(text.isEmpty() ? m_title : text);
    m_buttons.value(QStringLiteral("CmdBack"))->setVisible(!text.isEmpty());
}

void HistoryPanel::ShowChanges(const QStringList& lines, bool shown)
{
    m_changes->clear();
    QList<QTreeWidgetItem*> items;
    for (const QString& line : lines) {
        auto* item = new QTreeWidgetItem;
        item->setText(0, line);
        item->setToolTip(0, line);
        items << item;
    }
    m_changes->addTopLevelItems(items);
    m_changes->setVisible(shown);
}

QList<int> HistoryPanel::SelectedVersions() const
{
    QList<int> versions;
    for (int i = 0; i < m_versions->topLevelItemCount(); ++i)
        if (const QTreeWidgetItem* row = m_versions->topLevelItem(i); row->isSelected())
            versions << row->data(0, VersionRole).toInt();
    return versions;
}

void HistoryPanel::SelectVersions(const QList<int>& versions)
{
    const QSet<int> wanted(versions.cbegin(), versions.cend());
    m_versions->clearSelection();
    for (int i = 0; i < m_versions->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = m_versions->topLevelItem(i);
        if (wanted.contains(row->data(0, VersionRole).toInt())) {
            row->setSelected(true);
            m_versions->setCurrentItem(row, 0, QItemSelectionModel::NoUpdate);
        }
    }
}

} // namespace korvel

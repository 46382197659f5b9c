#include "designer/findingspanel.h"

#include "core/errorlog.h"
#include "resources/stringtable.h"

#include <QApplication>
#include <QHeaderView>
#include <QStyle>
#include <QTreeWidget>

namespace korvel {
namespace {

// String-table ids.
enum : qint32 {
    MsgTitle = 1803,
    MsgSeverityColumn = 1800,
    MsgMessageColumn = 1801,
    MsgItemColumn = 1802,
    MsgNoFindings = 1470,
    MsgKindFrame = 1476,
    MsgKindStep = 1477,
    MsgKindLink = 1478,
};

constexpr int ItemRole = Qt::UserRole;
constexpr int KeyRole = Qt::UserRole + 1;

QString ItemText(const FlowFinding& finding)
{
    const qint32 kind = finding.item == FindingItem::Step   ? MsgKindStep
                        : finding.item == FindingItem::Link ? MsgKindLink
                                                            : MsgKindFrame;
    return LoadResString(kind) + u' ' + finding.key;
}

} // namespace

FindingsPanel::FindingsPanel(QWidget* parent) : QDockWidget(parent)
{
    setObjectName(QStringLiteral("FindingsDock"));
    setProperty("Tag", QString::number(MsgTitle));
    setWindowTitle(QString::number(MsgTitle));
    setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea);
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("LstFindings"));
    m_list->setColumnCount(3);
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setUniformRowHeights(true);
    const qint32 headers[] = {MsgSeverityColumn, MsgMessageColumn, MsgItemColumn};
    for (int column = 0; column < 3; ++column) {
        m_list->headerItem()->setText(column, QString::number(headers[column]));
        m_list->headerItem()->setData(column, Qt::UserRole, QString::number(headers[column]));
    }
    m_list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_list->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    m_list->header()->setStretchLastSection(false);
    setWidget(m_list);
    connect(m_list, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* row) { Choose(row); });
    connect(m_list, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* row) { Choose(row); });
}

void FindingsPanel::ShowFindings(const QString& frameId, const QList<FlowFinding>& findings)
{
    if (m_filled && frameId == m_frameId && findings == m_findings)
        return;
    m_frameId = frameId;
    m_findings = findings;
    m_filled = true;
    m_list->clear();
    if (findings.isEmpty()) {
        auto* row = new QTreeWidgetItem(m_list);
        row->setText(1, FormatMessage(MsgNoFindings, {frameId}));
        row->setFlags(Qt::ItemIsEnabled);
        return;
    }
    QStyle* style = QApplication::style();
    const QIcon error = style->standardIcon(QStyle::SP_MessageBoxCritical);
    const QIcon warning = style->standardIcon(QStyle::SP_MessageBoxWarning);
    QList<QTreeWidgetItem*> rows;
    for (const FlowFinding& finding : findings) {
        auto* row = new QTreeWidgetItem;
        row->setIcon(0, finding.severity == FindingSeverity::Error ? error : warning);
        row->setText(0, finding.severityText());
        row->setText(1, finding.text());
        row->setToolTip(1, finding.text());
        row->setText(2, ItemText(finding));
        row->setData(0, ItemRole, static_cast<int>(finding.item));
        row->setData(0, KeyRole, finding.key);
        rows << row;
    }
    m_list->addTopLevelItems(rows);
}

void FindingsPanel::Clear()
{
    m_list->clear();
    m_frameId.clear();
    m_findings.clear();
    m_filled = false;
}

void FindingsPanel::Choose(QTreeWidgetItem* row)
{
    if (!row || !row->data(0, KeyRole).isValid())
        return;
    emit FindingChosen(static_cast<FindingItem>(row->data(0, ItemRole).toInt()),
                       row->data(0, KeyRole).toString());
}

} // namespace korvel

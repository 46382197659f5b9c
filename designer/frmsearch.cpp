#include "designer/frmsearch.h"

#include "core/errorlog.h"
#include "core/korvelerror.h"
#include "dialogs/dialogsupport.h"
#include "model/flowcheck.h"
#include "resources/stringtable.h"
#include "widgets/failurereport.h"
#include "widgets/uiservices.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace korvel {
namespace {

// String-table ids.
enum : qint32 {
    MsgTitle = 1804,
    MsgFind = 1805,
    MsgSearch = 1806,
    MsgFrameColumn = 1807,
    MsgItemColumn = 1802,
    MsgTextColumn = 1809,
    MsgOpen = 1810,
    MsgClose = 1238,
    MsgFrameName = 1811,
    MsgCount = 1812,
    MsgFailed = 1813,
    MsgNoMatch = 1473,
    MsgKindFrame = 1476,
    MsgKindStep = 1477,
    MsgKindLink = 1478,
};

constexpr int HitRole = Qt::UserRole;

} // namespace

FrmSearch::FrmSearch(const QHash<QString, QString>& frameNames, QWidget* parent)
    : QDialog(parent), m_frameNames(frameNames)
{
    // Like the save-as dialog, its captions are fetched from the string table here.
    setObjectName(QStringLiteral("FrmSearch"));
    setModal(true);
    setWindowTitle(LoadResString(MsgTitle));

    LblFind = new QLabel(LoadResString(MsgFind), this);
    LblFind->setObjectName(QStringLiteral("LblFind"));
    TxtFind = new QLineEdit(this);
    TxtFind->setObjectName(QStringLiteral("TxtFind"));
    TxtFind->setClearButtonEnabled(true);
    LblFind->setBuddy(TxtFind);
    CmdSearch = new QPushButton(LoadResString(MsgSearch), this);
    CmdSearch->setObjectName(QStringLiteral("CmdSearch"));
    CmdSearch->setDefault(true);

    LstHits = new QTreeWidget(this);
    LstHits->setObjectName(QStringLiteral("LstHits"));
    LstHits->setColumnCount(3);
    LstHits->setRootIsDecorated(false);
    LstHits->setSelectionMode(QAbstractItemView::SingleSelection);
    LstHits->setUniformRowHeights(true);
    LstHits->setHeaderLabels(
        {LoadResString(MsgFrameColumn), LoadResString(MsgItemColumn), LoadResString(MsgTextColumn)});
    LstHits->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    LstHits->header()->setStretchLastSection(true);
    LblCount = new QLabel(this);
    LblCount->setObjectName(QStringLiteral("LblCount"));

    CmdOpen = new QPushButton(LoadResString(MsgOpen), this);
    CmdOpen->setObjectName(QStringLiteral("CmdOpen"));
    CmdOpen->setAutoDefault(false);
    CmdOpen->setEnabled(false);
    CmdClose = new QPushButton(LoadResString(MsgClose), this);
    CmdClose->setObjectName(QStringLiteral("CmdClose"));
    CmdClose->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(LblFind, 0, 0);
    grid->addWidget(TxtFind, 0, 1);
    grid->addWidget(CmdSearch, 0, 2);
    grid->addWidget(LstHits, 1, 0, 1, 3);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(LblCount, 1);
    bottom->addWidget(CmdOpen);
    bottom->addWidget(CmdClose);
    grid->addLayout(bottom, 2, 0, 1, 3);
    resize(640, 420);

    connect(CmdSearch, &QPushButton::clicked, this, [this] { CmdSearch_Click(); });
    connect(TxtFind, &QLineEdit::returnPressed, this, [this] { CmdSearch_Click(); });
    connect(LstHits, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* row) { Choose(row); });
    connect(LstHits, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* row) { CmdOpen->setEnabled(row != nullptr); });
    connect(CmdOpen, &QPushButton::clicked, this, [this] { Choose(LstHits->currentItem()); });
    connect(CmdClose, &QPushButton::clicked, this, [this] { reject(); });

    CentreOnScreen(*this);
    setTag(QString());
}

QString FrmSearch::Tag() const
{
    return property("Tag").toString();
}

void FrmSearch::setTag(const QString& tag)
{
    setProperty("Tag", tag);
}

void FrmSearch::CmdSearch_Click()
{
    LstHits->clear();
    m_hits.clear();
    LblCount->clear();
    const QString text = TxtFind->text();
    if (text.isEmpty())
        return;
    try {
        m_hits = SearchFlows(text);
    } catch (const std::exception& error) {
        LogError(QStringLiteral("[Korvel]-[FrmSearch]-[CmdSearch_Click]:"), error);
        ReportRefusal(FormatMessage(MsgFailed, {describe(error)}));
        return;
    }
    QList<QTreeWidgetItem*> rows;
    for (qsizetype i = 0; i < m_hits.size(); ++i) {
        const SearchHit& hit = m_hits.at(i);
        const qint32 kind = hit.kind == SearchItemKind::Frame  ? MsgKindFrame
                            : hit.kind == SearchItemKind::Step ? MsgKindStep
                                                               : MsgKindLink;
        const QString name = m_frameNames.value(hit.frameId);
        auto* row = new QTreeWidgetItem;
        row->setText(0, name.isEmpty() ? hit.frameId : FormatMessage(MsgFrameName, {name, hit.frameId}));
        row->setText(1, LoadResString(kind) + u' ' + hit.key);
        row->setText(2, hit.text);
        row->setToolTip(2, hit.text);
        row->setData(0, HitRole, static_cast<int>(i));
        rows << row;
    }
    LstHits->addTopLevelItems(rows);
    LblCount->setText(m_hits.isEmpty() ? LoadResString(MsgNoMatch)
                                       : FormatMessage(MsgCount, {QString::number(m_hits.size())}));
    if (!rows.isEmpty())
        LstHits->setCurrentItem(rows.first());
}

void FrmSearch::Choose(QTreeWidgetItem* row)
{
    if (!row)
        return;
    const int index = row->data(0, HitRole).toInt();
    if (index < 0 || index >= m_hits.size())
        return;
    m_chosen = m_hits.at(index);
    if (m_opener && !m_opener(m_chosen))
        return;
    setTag(QStringLiteral("T"));
    hide();
}

void FrmSearch::reject()
{
    setTag(QString());
    QDialog::reject();
}

} // namespace korvel

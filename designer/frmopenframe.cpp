#include "designer/frmopenframe.h"

#include "designer/framefiltermodel.h"
#include "designer/frametreemodel.h"
#include "resources/stringtable.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvel {
namespace {

// String-table ids.
enum : qint32 {
    MsgTitle = 2207,
    MsgFilter = 2208,
    MsgOk = 1022,
    MsgCancel = 1023,
};

} // namespace

FrmOpenFrame::FrmOpenFrame(cWOrders& workOrders, QWidget* parent) : QDialog(parent)
{
    // Like the search dialog, its captions are fetched from the string table here.
    setObjectName(QStringLiteral("FrmOpenFrame"));
    setModal(true);
    setWindowTitle(LoadResString(MsgTitle));
    m_model = new FrameTreeModel(workOrders, this);
    m_filter = new FrameFilterModel(workOrders, this);
    m_filter->SetFramesOnly(true);
    m_filter->setSourceModel(m_model);

    LblFilter = new QLabel(LoadResString(MsgFilter), this);
    LblFilter->setObjectName(QStringLiteral("LblFilter"));
    TxtFrameFilter = new QLineEdit(this);
    TxtFrameFilter->setObjectName(QStringLiteral("TxtFrameFilter"));
    TxtFrameFilter->setClearButtonEnabled(true);
    LblFilter->setBuddy(TxtFrameFilter);
    LstFrames = new QListView(this);
    LstFrames->setObjectName(QStringLiteral("LstFrames"));
    LstFrames->setUniformItemSizes(true);
    LstFrames->setSelectionMode(QAbstractItemView::SingleSelection);
    LstFrames->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LstFrames->setModel(m_filter);
    auto* buttons = new QDialogButtonBox(this);
    CmdOK = buttons->addButton(LoadResString(MsgOk), QDialogButtonBox::AcceptRole);
    CmdOK->setObjectName(QStringLiteral("CmdOK"));
    CmdOK->setDefault(true);
    CmdCancel = buttons->addButton(LoadResString(MsgCancel), QDialogButtonBox::RejectRole);
    CmdCancel->setObjectName(QStringLiteral("CmdCancel"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LblFilter);
    layout->addWidget(TxtFrameFilter);
    layout->addWidget(LstFrames);
    layout->addWidget(buttons);
    resize(420, 360);

    connect(TxtFrameFilter, &QLineEdit::textChanged, this, &FrmOpenFrame::Filter);
    connect(LstFrames, &QListView::doubleClicked, this, [this] { Choose(); });
    connect(CmdOK, &QPushButton::clicked, this, [this] { Choose(); });
    connect(CmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    Filter(QString());
}

void FrmOpenFrame::Filter(const QString& text)
{
    const QString before = Highlighted();
    m_filter->SetText(text);
    const QModelIndex kept = m_filter->mapFromSource(m_model->FrameIndex(before));
    LstFrames->setCurrentIndex(kept.isValid() ? kept : m_filter->index(0, 0));
    CmdOK->setEnabled(!Highlighted().isEmpty());
}

QString FrmOpenFrame::Highlighted() const
{
    return m_model->FrameID(m_filter->mapToSource(LstFrames->currentIndex()));
}

void FrmOpenFrame::Choose()
{
    m_chosen = Highlighted();
    if (!m_chosen.isEmpty())
        accept();
}

} // namespace korvel

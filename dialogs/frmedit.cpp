#include "dialogs/frmedit.h"

#include "dialogs/dialogsupport.h"

#include "core/addinglobals.h"
#include "core/errorlog.h"
#include "dialogs/editablegrid.h"
#include "dialogs/selectonlycombo.h"
#include "dialogs/staffqueries.h"
#include "persistence/connection.h"
#include "resources/stringtable.h"
#include "widgets/localiseform.h"
#include "widgets/uiservices.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace korvel {

namespace {

const char* const TagProperty = "Tag";

// Column layout of the handler grid, with the captions in the user's language; the blanks give
// the name columns their width. The two ID columns are hidden.
QString GridFormat()
{
    return QStringLiteral("%1|<%2|<%3|<Group|<Staff")
        .arg(LoadResString(1038), LoadResString(223).leftJustified(25), LoadResString(224).leftJustified(23));
}

constexpr int ColGroupName = 1;
constexpr int ColStaffName = 2;
constexpr int ColGroupID = 3;
constexpr int ColStaffID = 4;

} // namespace

FrmEdit::FrmEdit(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmEdit"));
    setProperty(TagProperty, QStringLiteral("225"));
    setModal(true);
    BuildControls();
    FormLoad();
}

FrmEdit::~FrmEdit() = default;

QString FrmEdit::Tag() const
{
    return property(TagProperty).toString();
}

void FrmEdit::BuildControls()
{
    setWindowTitle(QStringLiteral("FrmEdit"));
    Label1 = MakeControl<QLabel>(this, "Label1", 223);
    CboGroup = MakeControl<SelectOnlyCombo>(this, "CboGroup");
    Label2 = MakeControl<QLabel>(this, "Label2", 224);
    CboBy = MakeControl<SelectOnlyCombo>(this, "CboBy");
    CmdAdd = MakeControl<QPushButton>(this, "CmdAdd", 221);
    CmdDel = MakeControl<QPushButton>(this, "CmdDel", 222);
    GrdHandlers = MakeControl<EditableGrid>(this, "GrdHandlers");
    CmdOK = MakeControl<QPushButton>(this, "CmdOK", 98);
    CmdCancel = MakeControl<QPushButton>(this, "CmdCancel", 99);
    CmdOK->setAutoDefault(false);
    CmdCancel->setAutoDefault(false);
    CmdAdd->setAutoDefault(false);
    CmdDel->setAutoDefault(false);
    CboGroup->setMinimumWidth(160);
    CboBy->setMinimumWidth(160);
    GrdHandlers->setMinimumSize(420, 200);

    auto* pickers = new QGridLayout;
    pickers->addWidget(Label1, 0, 0);
    pickers->addWidget(CboGroup, 0, 1);
    pickers->addWidget(CmdAdd, 0, 2);
    pickers->addWidget(Label2, 1, 0);
    pickers->addWidget(CboBy, 1, 1);
    pickers->addWidget(CmdDel, 1, 2);
    pickers->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(CmdOK);
    buttons->addWidget(CmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(pickers);
    layout->addWidget(GrdHandlers, 1);
    layout->addLayout(buttons);

    connect(CboGroup, &SelectOnlyCombo::SelectionChanged, this,
            [this](int p) { CboGroup_SelectionChanged(p); });
    connect(CmdAdd, &QPushButton::clicked, this, [this] { CmdAdd_Click(); });
    connect(CmdDel, &QPushButton::clicked, this, [this] { CmdDel_Click(); });
    connect(CmdOK, &QPushButton::clicked, this, [this] { CmdOK_Click(); });
    connect(CmdCancel, &QPushButton::clicked, this, [this] { CmdCancel_Click(); });
}

void FrmEdit::FormLoad()
{
    LocaliseForm(*this);
    IgnoreErrors([this] { setWindowTitle(LoadResString(225)); });
    adjustSize();
    CentreOnScreen(*this);
    IgnoreErrors([this] { Utility().ApplyFormStyle(this); });
    InitGrid();
    LoadGroups();
    LoadStaffNames();
    // The caption id has done its work; from here on the tag is the dialog's result.
    setProperty(TagProperty, QString());
}

void FrmEdit::InitGrid()
{
    IgnoreErrors([this] { GrdHandlers->setFormatString(GridFormat()); });
    GrdHandlers->setColWidth(ColGroupID, 0);
    GrdHandlers->setColWidth(ColStaffID, 0);
    GrdHandlers->setRows(1);
}

void FrmEdit::LoadGroups()
{
    // A failure leaves the list and the name table as far as they were filled; nothing is reported.
    CboGroup->Clear();
    try {
        auto rs = Connection::Shared().OpenRecordset(QString::fromLatin1(RoleGroupStatement));
        HostUtility& utility = Utility();
        while (!rs->IsEOF()) {
            IgnoreErrors([&] {
                const QString id = utility.FieldToString(rs->Fields(QStringLiteral("rolegroup_id")));
                const QString name =
                    utility.FieldToString(rs->Fields(QStringLiteral("RoleGroupDescription")));
                CboGroup->AddItem(name, id);
                if (!m_groupNames.contains(id))
                    m_groupNames.insert(id, name);
            });
            rs->MoveNext();
        }
        rs->Close();
    } catch (...) {
    }
    CboGroup->EndFill();
}

void FrmEdit::LoadStaffNames()
{
    try {
        auto rs =
            Connection::Shared().OpenRecordset(QStringLiteral(R"(select  Staff_ID, StaffName FROM  Staff )"));
        HostUtility& utility = Utility();
        while (!rs->IsEOF()) {
            IgnoreErrors([&] {
                const QString id = utility.FieldToString(rs->Fields(QStringLiteral("Staff_ID")));
                if (!m_staffNames.contains(id))
                    m_staffNames.insert(id, utility.FieldToString(rs->Fields(QStringLiteral("StaffName"))));
            });
            rs->MoveNext();
        }
        rs->Close();
    } catch (...) {
    }
}

void FrmEdit::LoadGroupStaff(const QString& group)
{
    try {
        FillGroupStaff(*CboBy, group, StaffListKind::Handler);
    } catch (const std::exception& e) {
        LogError(QStringLiteral("[Korvel]-[FrmEdit]-[LoadGroupStaff]:"), e);
        // Offer no half-read list: only the no-selection item.
        CboBy->Clear();
        IgnoreErrors([this] { CboBy->AddItem(NoSelectionText(), QString()); });
        CboBy->EndFill();
    }
}

void FrmEdit::CboGroup_SelectionChanged(int position)
{
    if (position >= 0)
        LoadGroupStaff(CboGroup->KeyAt(position));
    else
        CboBy->Clear();
}

QString FrmEdit::AllInfo() const
{
    QString text;
    for (int row = 1; row < GrdHandlers->Rows(); ++row)
        text += QStringLiteral("|") + GrdHandlers->TextMatrix(row, ColGroupID) + QStringLiteral(",") +
                GrdHandlers->TextMatrix(row, ColStaffID);
    return text.mid(1);
}

void FrmEdit::setAllInfo(const QString& value)
{
    InitGrid();
    if (value.trimmed().isEmpty())
        return;
    const QStringList entries = value.split(u'|');
    GrdHandlers->setUpdatesEnabled(false);
    GrdHandlers->setRows(static_cast<int>(entries.size()) + 1);
    for (int i = 0; i < entries.size(); ++i) {
        const int row = i + 1;
        const QStringList ids = entries.at(i).split(u',');
        const QString& group = ids.at(0);
        GrdHandlers->setTextMatrix(row, ColGroupName, m_groupNames.value(group));
        GrdHandlers->setTextMatrix(row, ColGroupID, group);
        if (ids.size() > 1) {
            GrdHandlers->setTextMatrix(row, ColStaffName, m_staffNames.value(ids.at(1)));
            GrdHandlers->setTextMatrix(row, ColStaffID, ids.at(1));
        }
    }
    GrdHandlers->setUpdatesEnabled(true);
}

void FrmEdit::CmdAdd_Click()
{
    try {
        if (CboGroup->ListIndex() < 0) {
            Messages().warning(LoadResString(226));
            return;
        }
        if (CboBy->ListIndex() < 0) {
            Messages().warning(LoadResString(227));
            return;
        }
        const int row = GrdHandlers->Rows();
        GrdHandlers->setRows(row + 1);
        GrdHandlers->setTextMatrix(row, ColGroupName, CboGroup->currentText());
        GrdHandlers->setTextMatrix(row, ColStaffName, CboBy->currentText());
        GrdHandlers->setTextMatrix(row, ColGroupID, CboGroup->SelectedKey());
        GrdHandlers->setTextMatrix(row, ColStaffID, CboBy->SelectedKey());
    } catch (const std::exception& e) {
        LogError(QStringLiteral("[Korvel]-[FrmEdit]-[CmdAdd_Click]:"), e);
    }
}

void FrmEdit::CmdDel_Click()
{
    const int row = GrdHandlers->Row();
    if (row >= 1)
        GrdHandlers->RemoveItem(row);
}

void FrmEdit::CmdOK_Click()
{
    setProperty(TagProperty, QStringLiteral("T"));
    hide();
}

void FrmEdit::CmdCancel_Click()
{
    setProperty(TagProperty, QString());
    hide();
}

void FrmEdit::reject()
{
    setProperty(TagProperty, QString());
    QDialog::reject();
}

void FrmEdit::closeEvent(QCloseEvent* event)
{
    setProperty(TagProperty, QString());
    QDialog::closeEvent(event);
}

} // namespace korvel

#include "dialogs/frmorder.h"

#include "dialogs/dialogsupport.h"

#include "core/addinglobals.h"
#include "core/errorlog.h"
#include "dialogs/frmselectdoc.h"
#include "dialogs/numerictextbox.h"
#include "dialogs/selectonlycombo.h"
#include "persistence/cdboperate.h"
#include "persistence/connection.h"
#include "resources/stringtable.h"
#include "widgets/localiseform.h"
#include "widgets/uiservices.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTreeWidgetItem>
#include <functional>

namespace korvel {
namespace {

const QString TagSeparator = QStringLiteral("|-|");

// Fills a list from a lookup's result set: one item per row, in row order. A lookup whose query
// failed hands back no result set and leaves the list as it is (empty on a fresh dialog).
void FillList(SelectOnlyCombo& list, std::unique_ptr<Recordset> rs,
              const std::function<QString(const Recordset&)>& text, const QString& keyColumn)
{
    if (!rs || !rs->IsOpen())
        return;
    list.Clear();
    try {
        while (!rs->IsEOF()) {
            list.AddItem(text(*rs), Utility().FieldToString(rs->Fields(keyColumn)));
            rs->MoveNext();
        }
    } catch (const std::exception&) {
        // A row that cannot be read ends the fill; the list keeps what it has.
    }
    rs->Close();
    list.EndFill();
}

QString Field(const Recordset& rs, const QString& column)
{
    return Utility().FieldToString(rs.Fields(column));
}

} // namespace

FrmOrder::FrmOrder(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmOrder"));
    setModal(true);
    BuildControls();
    ConnectHandlers();
    TxtFile->installEventFilter(this);

    LocaliseForm(*this);
    IgnoreErrors([this] { setWindowTitle(LoadResString(187)); });
    LoadPriority();
    LoadTime();
    LoadWorkOrderType();
    LoadDynamicForms();
    LoadCampaigns();
    CentreOnScreen(*this);
    IgnoreErrors([this] { Utility().ApplyFormStyle(this); });
    ChkTZ_Click();
    setTag(QString());
}

void FrmOrder::ConnectHandlers()
{
    // Check boxes and options react to every change of their value, by the user or by code.
    connect(ChkTZ, &QCheckBox::toggled, this, [this] { ChkTZ_Click(); });
    connect(CHKClose, &QCheckBox::toggled, this, [this] { CHKClose_Click(); });
    connect(OptWeb, &QRadioButton::toggled, this, [this] { OptWeb_Click(); });
    connect(OptBuild, &QRadioButton::toggled, this, [this] { OptBuild_Click(); });
    connect(OptFax, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            OptFax_Click();
    });
    connect(OptEmail, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            OptEmail_Click();
    });
    connect(OptTel, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            OptTel_Click();
    });
    connect(CmdSelectFile, &QPushButton::clicked, this, [this] { PickTemplate(*TxtFile); });
    connect(CmdSeleReplyFile, &QPushButton::clicked, this, [this] { PickTemplate(*TxtReplyFile); });
    connect(CmdOK, &QPushButton::clicked, this, [this] { CmdOK_Click(); });
    connect(CmdCancel, &QPushButton::clicked, this, [this] { CmdCancel_Click(); });
}

QString FrmOrder::Tag() const
{
    return property("Tag").toString();
}

void FrmOrder::setTag(const QString& tag)
{
    setProperty("Tag", tag);
}

QString FrmOrder::TagGroupPart(const QString& tag)
{
    const auto at = tag.indexOf(TagSeparator);
    return at < 0 ? QString() : tag.left(at);
}

QString FrmOrder::TagFilePart(const QString& tag)
{
    const auto at = tag.indexOf(TagSeparator);
    return at < 0 ? QString() : tag.mid(at + TagSeparator.size());
}

void FrmOrder::SetStatus()
{
    ChkTZ_Click();
}

void FrmOrder::SetPrintfile(const QString& vGrpID, const QString& vfileID)
{
    TxtFile->setProperty("Tag", vGrpID + TagSeparator + vfileID);
    TxtFile->setText(GetTemplateDescription(vfileID));
}

void FrmOrder::SetReplyFile(const QString& vGrpID, const QString& vfileID)
{
    TxtReplyFile->setProperty("Tag", vGrpID + TagSeparator + vfileID);
    TxtReplyFile->setText(GetTemplateDescription(vfileID));
}

void FrmOrder::LoadPriority()
{
    FillList(
        *CboPriority, DBOperate().GetCodePriority(),
        [](const Recordset& rs) { return Field(rs, QStringLiteral("PriorityDescription")); },
        QStringLiteral("Priority_ID"));
}

void FrmOrder::LoadTime()
{
    try {
        auto rs = Connection::Shared().OpenRecordset(R"(select TimeIDA,TimeDesc  from C_TimeType)");
        CboUnit->Clear();
        CboUnit1->Clear();
        while (!rs->IsEOF()) {
            const QString text = rs->Fields(QStringLiteral("TimeDesc")).toString();
            const QString key = rs->Fields(QStringLiteral("TimeIDA")).toString();
            CboUnit->AddItem(text, key);
            CboUnit1->AddItem(text, key);
            rs->MoveNext();
        }
        rs->Close();
    } catch (const std::exception& e) {
        LogError(QStringLiteral("[Korvel]-[FrmOrder]-[LoadTime]:"), e);
    }
    CboUnit->EndFill();
    CboUnit1->EndFill();
}

void FrmOrder::LoadWorkOrderType()
{
    FillList(
        *CboType, DBOperate().GetWorkOrderType(),
        [](const Recordset& rs) { return Field(rs, QStringLiteral("Description")); }, QStringLiteral("ID"));
}

void FrmOrder::LoadDynamicForms()
{
    FillList(
        *CboBuild, DBOperate().GetAddinBuild(),
        [](const Recordset& rs) {
            return QLatin1Char('[') + Field(rs, QStringLiteral("Group_IDA")) + QLatin1Char(']') +
                   Field(rs, QStringLiteral("GroupName"));
        },
        QStringLiteral("Group_IDA"));
}

void FrmOrder::LoadCampaigns()
{
    FillList(
        *CboObject, DBOperate().GetAllObjectiveTypeList(),
        [](const Recordset& rs) {
            return QLatin1Char('[') + Field(rs, QStringLiteral("ObjectiveType_ID")) + QLatin1Char(']') +
                   Field(rs, QStringLiteral("ObjectiveTypeDescription"));
        },
        QStringLiteral("ObjectiveType_ID"));
}

QString FrmOrder::GetTemplateDescription(const QString& id)
{
    QString description;
    std::unique_ptr<Recordset> rs;
    // The ID comes from a stored column and goes into the statement quoted like every other text.
    IgnoreErrors([&] {
        rs = Connection::Shared().OpenRecordset(
            QStringLiteral(R"(SELECT Description   FROM DocTemplate Where DocTemplate_ID=')") +
            Utility().SqlQuote(id) + QStringLiteral(R"(')"));
    });
    IgnoreErrors([&] {
        if (rs && rs->IsOpen() && !rs->IsEOF())
            description = Utility().FieldToString(rs->Fields(QStringLiteral("Description")));
    });
    IgnoreErrors([&] {
        if (rs)
            rs->Close();
    });
    return description;
}

void FrmOrder::ChkTZ_Click()
{
    if (ChkTZ->isChecked()) {
        Frame2->setEnabled(true);
        return;
    }
    Frame2->setEnabled(false);
    TxtReplyFile->setProperty("Tag", QString());
    TxtReplyFile->clear();
    txtAdd->clear();
    TxtContent->clear();
}

void FrmOrder::OptFax_Click()
{
    IgnoreErrors([this] { lblAddress->setText(LoadResString(212)); });
    TxtContent->setEnabled(false);
    TxtContent->clear();
    TxtReplyFile->setEnabled(true);
    CmdSeleReplyFile->setEnabled(true);
}

void FrmOrder::OptEmail_Click()
{
    IgnoreErrors([this] { lblAddress->setText(LoadResString(211)); });
    TxtContent->clear();
    TxtContent->setEnabled(false);
    TxtReplyFile->setEnabled(true);
    CmdSeleReplyFile->setEnabled(true);
}

void FrmOrder::OptTel_Click()
{
    IgnoreErrors([this] { lblAddress->setText(LoadResString(213)); });
    TxtContent->setEnabled(true);
    TxtReplyFile->setEnabled(false);
    CmdSeleReplyFile->setEnabled(false);
    TxtReplyFile->clear();
    TxtReplyFile->setProperty("Tag", QString());
}

void FrmOrder::OptWeb_Click()
{
    if (OptWeb->isChecked()) {
        TxtWeb->setEnabled(true);
        CboBuild->setEnabled(false);
        CboBuild->setListIndex(-1);
    } else {
        TxtWeb->setEnabled(false);
        TxtWeb->clear();
    }
}

void FrmOrder::OptBuild_Click()
{
    if (OptBuild->isChecked()) {
        CboBuild->setEnabled(true);
        TxtWeb->setEnabled(false);
        TxtWeb->clear();
    } else {
        CboBuild->setEnabled(false);
        CboBuild->setListIndex(-1);
    }
}

void FrmOrder::CHKClose_Click()
{
    if (CHKClose->isChecked()) {
        TxtRate->setEnabled(true);
        CboObject->setEnabled(true);
    } else {
        TxtRate->setEnabled(false);
        TxtRate->clear();
        CboObject->setEnabled(false);
        CboObject->setListIndex(-1);
    }
}

bool FrmOrder::eventFilter(QObject* watched, QEvent* event)
{
    // Delete in the print-template box removes the chosen template: its text and its tag.
    if (watched == TxtFile && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        TxtFile->clear();
        TxtFile->setProperty("Tag", QString());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void FrmOrder::PickTemplate(QLineEdit& field)
{
    std::unique_ptr<FrmSelectDoc> picker;
    IgnoreErrors([&] { picker = std::make_unique<FrmSelectDoc>(this); });
    if (!picker)
        return;
    IgnoreErrors([&] {
        const QString tag = field.property("Tag").toString();
        if (!tag.isEmpty())
            picker->SelectKey(QStringLiteral("D") + TagFilePart(tag));
    });
    IgnoreErrors([&] { Modals().showModal(*picker); });
    if (picker->Tag() != QLatin1String("T"))
        return;
    const QTreeWidgetItem* item = picker->SelectedItem();
    if (!item)
        return;
    field.setText(item->text(0));
    field.setProperty("Tag", FrmSelectDoc::ItemKey(item->parent()).mid(1) + TagSeparator +
                                 FrmSelectDoc::ItemKey(item).mid(1));
}

void FrmOrder::CmdOK_Click()
{
    struct Check {
        std::function<bool()> fails;
        qint32 message; // 0: the database could not be read
        QWidget* focus;
    };
    auto text = [](const QLineEdit* box) { return box->text().trimmed(); };
    qint32 idState = -1; // of a new frame's ID: 1 taken, -1 free, 0 could not be checked
    const Check checks[] = {
        {[&] { return text(TxtID).isEmpty(); }, 201, TxtID},
        {[&] { return Utility().ByteLength(text(TxtID)) >= 7; }, 202, TxtID},
        // The duplicate test is for new frames only: an edited frame's ID cannot change.
        {[&] {
             idState = TxtID->isEnabled() ? DBOperate().GetWorkOrderIDExists(text(TxtID)) : -1;
             return idState == 1;
         },
         203, TxtID},
        {[&] { return idState == 0; }, 0, TxtID},
        {[&] { return text(TxtName).isEmpty(); }, 204, TxtName},
        {[&] { return CboPriority->ListIndex() < 0; }, 205, CboPriority},
        {[&] { return CboType->ListIndex() < 0; }, 206, CboType},
        {[&] { return CboUnit->ListIndex() < 0; }, 207, CboUnit},
        // The length is stored rounded, so a fraction that rounds to 0 is no time limit either.
        {[&] { return TxtLen->WholeNumber() <= 0; }, 208, TxtLen},
        {[&] { return OptWeb->isChecked() && text(TxtWeb).isEmpty(); }, 209, TxtWeb},
        {[&] { return OptBuild->isChecked() && CboBuild->ListIndex() < 0; }, 210, CboBuild},
    };
    if (RefuseUnstorableText(*this))
        return;
    for (const Check& check : checks) {
        bool failed = false;
        IgnoreErrors([&] { failed = check.fails(); });
        if (failed) {
            IgnoreErrors([&] {
                if (check.message == 0)
                    InformDatabaseUnreadable();
                else
                    Messages().warning(LoadResString(check.message));
            });
            check.focus->setFocus();
            return;
        }
    }
    setTag(QStringLiteral("T"));
    hide();
}

void FrmOrder::CmdCancel_Click()
{
    setTag(QString());
    hide();
}

void FrmOrder::reject()
{
    setTag(QString());
    QDialog::reject();
}

} // namespace korvel

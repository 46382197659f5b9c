#include "dialogs/frmlink.h"

#include "dialogs/dialogsupport.h"

#include "core/addinglobals.h"
#include "core/errorlog.h"
#include "dialogs/selectonlycombo.h"
#include "model/cworder.h"
#include "model/linkcondition.h"
#include "resources/stringtable.h"
#include "widgets/localiseform.h"
#include "widgets/uiservices.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVariant>

namespace korvel {

namespace {

const char* const TagProperty = "Tag";

// A label whose caption is the string-table id `id`, replaced when the form is localised.
QLabel* MakeLabel(QWidget* parent, const char* name, qint32 id)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setProperty(TagProperty, QString::number(id));
    return label;
}

} // namespace

FrmLink::FrmLink(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmLink"));
    // The form's tag carries no caption id (the load handler sets the caption itself) and is the
    // dialog's result afterwards.
    setProperty(TagProperty, QString());
    BuildControls();
    FormLoad();
}

FrmLink::~FrmLink() = default;

void FrmLink::BuildControls()
{
    setWindowTitle(QStringLiteral("FrmLink"));

    lblID = MakeLabel(this, "lblID", 101);
    TxtID = MakeControl<QLineEdit>(this, "TxtID");
    lblDesc = MakeLabel(this, "lblDesc", 102);
    Txtdesc = MakeControl<QLineEdit>(this, "Txtdesc");
    lblID->setBuddy(TxtID);
    lblDesc->setBuddy(Txtdesc);
    lblParent = MakeLabel(this, "lblParent", 103);
    CboParent = MakeControl<SelectOnlyCombo>(this, "CboParent");
    lblChild = MakeLabel(this, "lblChild", 104);
    CboChild = MakeControl<SelectOnlyCombo>(this, "CboChild");
    lblCondition = MakeLabel(this, "lblCondition", 105);

    OptAll = MakeControl<QRadioButton>(this, "OptAll");
    OptAll->setProperty(TagProperty, QStringLiteral("106"));
    OptFilter = MakeControl<QRadioButton>(this, "OptFilter");
    OptFilter->setProperty(TagProperty, QStringLiteral("107"));

    TxtFilter = MakeControl<QLineEdit>(this, "TxtFilter");
    TxtFilter->setProperty(CaptionProperty, 1973);
    CboRelation = MakeControl<QComboBox>(this, "CboRelation");
    CboRelation->setEditable(false);
    CboRelation->addItems(ConditionOperators());
    CboRelation->setCurrentIndex(-1);
    TxtValue = MakeControl<QLineEdit>(this, "TxtValue");
    TxtValue->setProperty(CaptionProperty, 1974);

    CmdOK = MakeControl<QPushButton>(this, "CmdOK");
    CmdOK->setProperty(TagProperty, QStringLiteral("98"));
    CmdOK->setDefault(true);
    CmdCancel = MakeControl<QPushButton>(this, "CmdCancel");
    CmdCancel->setProperty(TagProperty, QStringLiteral("99"));

    // Design state: always open, the condition fields disabled.
    OptAll->setChecked(true);
    TxtFilter->setEnabled(false);
    CboRelation->setEnabled(false);
    TxtValue->setEnabled(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(lblID, 0, 0);
    grid->addWidget(TxtID, 0, 1, 1, 3);
    grid->addWidget(lblDesc, 1, 0);
    grid->addWidget(Txtdesc, 1, 1, 1, 3);
    grid->addWidget(lblParent, 2, 0);
    grid->addWidget(CboParent, 2, 1, 1, 3);
    grid->addWidget(lblChild, 3, 0);
    grid->addWidget(CboChild, 3, 1, 1, 3);
    grid->addWidget(lblCondition, 4, 0);
    grid->addWidget(OptAll, 4, 1);
    grid->addWidget(OptFilter, 4, 2, 1, 2);
    grid->addWidget(TxtFilter, 5, 1);
    grid->addWidget(CboRelation, 5, 2);
    grid->addWidget(TxtValue, 5, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CmdOK);
    buttons->addWidget(CmdCancel);
    grid->addLayout(buttons, 6, 0, 1, 4);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(3, 2);
    setMinimumWidth(460);

    // toggled also fires when the caller chooses an option in code, so the rules hold either way.
    connect(OptAll, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            OptAll_Chosen();
    });
    connect(OptFilter, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            OptFilter_Chosen();
    });
    connect(CboParent, &SelectOnlyCombo::SelectionChanged, this, &FrmLink::CboParent_SelectionChanged);
    connect(CmdOK, &QPushButton::clicked, this, &FrmLink::CmdOK_Click);
    connect(CmdCancel, &QPushButton::clicked, this, &FrmLink::CmdCancel_Click);
}

void FrmLink::FormLoad()
{
    LocaliseForm(*this);
    setWindowTitle(LoadResString(108));

    adjustSize();
    CentreOnScreen(*this);
    Utility().ApplyFormStyle(this);
}

QString FrmLink::Tag() const
{
    return property(TagProperty).toString();
}

void FrmLink::setCurLinkTo(const QString& vSonNodeID)
{
    m_curLinkTo = vSonNodeID;
}

void FrmLink::LoadBeginPage(cWorder& vWorkOrder, const QString& vLinkForm, qint32 vAddFlag)
{
    m_workOrder = &vWorkOrder;
    m_addFlag = vAddFlag;

    CboParent->Clear();
    if (vLinkForm == BeginNodeID || !vWorkOrder.AllLink().GetBeginFlowExists())
        CboParent->AddItem(QStringLiteral("<") + LoadResString(81) + QStringLiteral(">"), BeginNodeID);
    for (const auto& [id, node] : vWorkOrder.AllNode().AllNode()) {
        if (node->CanLoadFlag() == 1)
            CboParent->AddStep(node->WorkOrderNodeName(), node->WorkOrderNode_ID());
    }
    CboParent->EndFill();
}

void FrmLink::CboParent_SelectionChanged(int position)
{
    if (position < 0)
        CboChild->Clear();
    else
        LoadSonNodes(CboParent->KeyAt(position));
}

void FrmLink::LoadSonNodes(const QString& father)
{
    CboChild->Clear();
    if (m_workOrder) {
        const cLinks& links = m_workOrder->AllLink();
        const bool editing = m_addFlag == 0;
        for (const auto& [id, node] : m_workOrder->AllNode().AllNode()) {
            if (node->CanLoadFlag() != 1)
                continue;
            const QString& nodeID = node->WorkOrderNode_ID();
            if (links.BPD(father, nodeID) || (editing && nodeID == m_curLinkTo))
                CboChild->AddStep(node->WorkOrderNodeName(), nodeID);
        }
        if (!links.GetEndNodeFlowExists(father) || (editing && m_curLinkTo == EndNodeID))
            CboChild->AddItem(QStringLiteral("<") + LoadResString(80) + QStringLiteral(">"), EndNodeID);
    }
    CboChild->EndFill();
}

void FrmLink::OptAll_Chosen()
{
    TxtFilter->setEnabled(false);
    TxtFilter->clear();
    CboRelation->setEnabled(false);
    CboRelation->setCurrentIndex(-1);
    TxtValue->setEnabled(false);
    TxtValue->clear();
}

void FrmLink::OptFilter_Chosen()
{
    TxtFilter->setEnabled(true);
    CboRelation->setEnabled(true);
    TxtValue->setEnabled(true);
}

void FrmLink::Refuse(qint32 messageId, QWidget* field)
{
    Messages().warning(LoadResString(messageId));
    if (field)
        field->setFocus();
}

void FrmLink::CmdOK_Click()
{
    // A failing host call must not escape the button's event handler; the dialog just stays open.
    try {
        if (RefuseUnstorableText(*this))
            return;
        const QString code = TxtID->text().trimmed();
        if (code.isEmpty())
            return Refuse(117, TxtID);
        if (Utility().ByteLength(code) >= 7)
            return Refuse(116, TxtID);
        if (TxtID->isEnabled() && m_workOrder && m_workOrder->AllLink().LinkIDExists(code))
            return Refuse(115, nullptr);
        if (Txtdesc->text().trimmed().isEmpty())
            return Refuse(114, Txtdesc);
        if (CboParent->SelectedKey().isEmpty())
            return Refuse(113, CboParent);
        if (CboChild->SelectedKey().isEmpty())
            return Refuse(112, CboChild);
        if (OptFilter->isChecked()) {
            if (TxtFilter->text().trimmed().isEmpty())
                return Refuse(109, TxtFilter);
            if (CboRelation->currentIndex() < 0)
                return Refuse(110, CboRelation);
            if (TxtValue->text().trimmed().isEmpty())
                return Refuse(111, TxtValue);
        }
        setProperty(TagProperty, QStringLiteral("T"));
        setResult(QDialog::Accepted);
        hide();
    } catch (const std::exception& error) {
        LogError(QStringLiteral("[Korvel]-[FrmLink]-[CmdOK_Click]:"), error);
    }
}

void FrmLink::CmdCancel_Click()
{
    reject();
}

void FrmLink::reject()
{
    setProperty(TagProperty, QString());
    QDialog::reject();
}

} // namespace korvel

#include "dialogs/frmnode.h"

#include "dialogs/dialogsupport.h"

#include "core/addinglobals.h"
#include "core/errorlog.h"
#include "dialogs/numerictextbox.h"
#include "dialogs/selectonlycombo.h"
#include "resources/stringtable.h"
#include "widgets/localiseform.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

namespace korvel {

namespace {

const char* const TagProperty = "Tag";

} // namespace

FrmNode::FrmNode(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmNode"));
    // No caption id: the load handler sets the caption itself. Afterwards the tag is the result.
    setProperty(TagProperty, QString());
    setModal(true);
    BuildControls();
    ConnectRules();
    FormLoad();
}

FrmNode::~FrmNode() = default;

QString FrmNode::Tag() const
{
    return property(TagProperty).toString();
}

QString FrmNode::MultiHandleBy() const
{
    return CmdSetUp->property(TagProperty).toString();
}

void FrmNode::setMultiHandleBy(const QString& list)
{
    CmdSetUp->setProperty(TagProperty, list);
}

void FrmNode::BuildControls()
{
    setWindowTitle(QStringLiteral("FrmNode"));
    FraNode = MakeControl<QGroupBox>(this, "FraNode", 147);

    auto* inner = new QVBoxLayout(FraNode);
    inner->addWidget(BuildGeneralPart());
    auto* frames = new QHBoxLayout;
    frames->addWidget(BuildHandlerFrame(), 3);
    frames->addWidget(BuildPageFrame(), 2);
    inner->addLayout(frames);

    CmdOK = MakeControl<QPushButton>(this, "CmdOK", 98);
    CmdCancel = MakeControl<QPushButton>(this, "CmdCancel", 99);
    CmdOK->setAutoDefault(false);
    CmdCancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(CmdOK);
    buttons->addWidget(CmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FraNode);
    layout->addLayout(buttons);
}

QWidget* FrmNode::BuildGeneralPart()
{
    auto* part = new QWidget(FraNode);
    part->setObjectName(QStringLiteral("PicGeneral"));

    lblID = MakeControl<QLabel>(part, "lblID", 148);
    TxtID = MakeControl<QLineEdit>(part, "TxtID");
    lblName = MakeControl<QLabel>(part, "lblName", 149);
    TxtName = MakeControl<QLineEdit>(part, "TxtName");
    lblID->setBuddy(TxtID);
    lblName->setBuddy(TxtName);
    lblPriority = MakeControl<QLabel>(part, "lblPriority", 150);
    CboPriority = MakeControl<SelectOnlyCombo>(part, "CboPriority");
    lblUnit = MakeControl<QLabel>(part, "lblUnit", 151);
    CboUnit = MakeControl<SelectOnlyCombo>(part, "CboUnit");
    lblLen = MakeControl<QLabel>(part, "lblLen", 152);
    TxtLen = MakeControl<NumericTextBox>(part, "TxtLen");
    lblNextTime = MakeControl<QLabel>(part, "lblNextTime", 153);
    TxtNextTime = MakeControl<NumericTextBox>(part, "TxtNextTime");
    lblHour = MakeControl<QLabel>(part, "lblHour", 154);
    lblUnit1 = MakeControl<QLabel>(part, "lblUnit1", 230);
    CboUnit1 = MakeControl<SelectOnlyCombo>(part, "CboUnit1");
    lblLen1 = MakeControl<QLabel>(part, "lblLen1", 231);
    TxtLen1 = MakeControl<NumericTextBox>(part, "TxtLen1");

    ChkBack = MakeControl<QCheckBox>(part, "ChkBack", 155);
    Check2 = MakeControl<QCheckBox>(part, "Check2", 229);
    CHKSendOwner = MakeControl<QCheckBox>(part, "CHKSendOwner", 217);
    ChkSendSelf = MakeControl<QCheckBox>(part, "ChkSendSelf", 156);
    ChkSendLoginGrp = MakeControl<QCheckBox>(part, "ChkSendLoginGrp", 218);
    CHKSendSkip = MakeControl<QCheckBox>(part, "CHKSendSkip", 157);
    CHKSMS = MakeControl<QCheckBox>(part, "CHKSMS", 158);
    ChkEmail = MakeControl<QCheckBox>(part, "ChkEmail", 159);
    ChkRefuseReply = MakeControl<QCheckBox>(part, "ChkRefuseReply", 160);
    ChkClose = MakeControl<QCheckBox>(part, "ChkClose", 161);
    Check1 = MakeControl<QCheckBox>(part, "Check1", 162);
    ChkTickOff = MakeControl<QCheckBox>(part, "ChkTickOff", 163);
    ChkTickCLOSE = MakeControl<QCheckBox>(part, "ChkTickCLOSE", 164);
    ChkModi1 = MakeControl<QCheckBox>(part, "ChkModi1", 1027);
    ChkModi2 = MakeControl<QCheckBox>(part, "ChkModi2", 1028);

    auto* grid = new QGridLayout(part);
    grid->addWidget(lblID, 0, 0);
    grid->addWidget(TxtID, 0, 1);
    grid->addWidget(lblName, 0, 2);
    grid->addWidget(TxtName, 0, 3, 1, 2);
    grid->addWidget(lblPriority, 1, 0);
    grid->addWidget(CboPriority, 1, 1);
    grid->addWidget(lblNextTime, 1, 2);
    grid->addWidget(TxtNextTime, 1, 3);
    grid->addWidget(lblHour, 1, 4);
    grid->addWidget(lblUnit, 2, 0);
    grid->addWidget(CboUnit, 2, 1);
    grid->addWidget(lblLen, 2, 2);
    grid->addWidget(TxtLen, 2, 3);
    grid->addWidget(lblUnit1, 3, 0);
    grid->addWidget(CboUnit1, 3, 1);
    grid->addWidget(lblLen1, 3, 2);
    grid->addWidget(TxtLen1, 3, 3);

    const QList<QCheckBox*> boxes = {ChkBack,     Check2,     CHKSendOwner, ChkSendSelf,    ChkSendLoginGrp,
                                     CHKSendSkip, CHKSMS,     ChkEmail,     ChkRefuseReply, ChkClose,
                                     Check1,      ChkTickOff, ChkTickCLOSE, ChkModi1,       ChkModi2};
    constexpr int BoxColumns = 3;
    for (int i = 0; i < boxes.size(); ++i)
        grid->addWidget(boxes.at(i), 4 + i / BoxColumns, (i % BoxColumns) * 2, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    return part;
}

QWidget* FrmNode::BuildHandlerFrame()
{
    Frame1 = MakeControl<QGroupBox>(FraNode, "Frame1", 169);
    OptOld = MakeControl<QRadioButton>(Frame1, "OptOld", 170);
    CboStep = MakeControl<SelectOnlyCombo>(Frame1, "CboStep");
    chkReturnGroup = MakeControl<QCheckBox>(Frame1, "chkReturnGroup", 228);
    OptMulti = MakeControl<QRadioButton>(Frame1, "OptMulti", 220);
    CmdSetUp = MakeControl<QPushButton>(Frame1, "CmdSetUp");
    IgnoreErrors([this] { CmdSetUp->setText(LoadResString(1029)); });
    CmdSetUp->setAutoDefault(false);
    CmdSetUp->setProperty(TagProperty, QString());
    OptOther = MakeControl<QRadioButton>(Frame1, "OptOther", 171);

    Frame2 = MakeControl<QGroupBox>(Frame1, "Frame2");
    lblStaffGroup = MakeControl<QLabel>(Frame2, "lblStaffGroup", 172);
    CboStaffGroup = MakeControl<SelectOnlyCombo>(Frame2, "CboStaffGroup");
    lblStaff = MakeControl<QLabel>(Frame2, "lblStaff", 173);
    CboStaff = MakeControl<SelectOnlyCombo>(Frame2, "CboStaff");
    auto* frame2Grid = new QGridLayout(Frame2);
    frame2Grid->addWidget(lblStaffGroup, 0, 0);
    frame2Grid->addWidget(CboStaffGroup, 0, 1);
    frame2Grid->addWidget(lblStaff, 1, 0);
    frame2Grid->addWidget(CboStaff, 1, 1);
    frame2Grid->setColumnStretch(1, 1);

    lblExpirGroup = MakeControl<QLabel>(Frame1, "lblExpirGroup", 174);
    CboExpirGroup = MakeControl<SelectOnlyCombo>(Frame1, "CboExpirGroup");
    lblExpirStaff = MakeControl<QLabel>(Frame1, "lblExpirStaff", 175);
    CboExpirStaff = MakeControl<SelectOnlyCombo>(Frame1, "CboExpirStaff");

    m_handlerOptions = new QButtonGroup(this);
    m_handlerOptions->addButton(OptOld);
    m_handlerOptions->addButton(OptMulti);
    m_handlerOptions->addButton(OptOther);
    OptOther->setChecked(true);

    auto* grid = new QGridLayout(Frame1);
    grid->addWidget(OptOld, 0, 0);
    grid->addWidget(CboStep, 0, 1);
    grid->addWidget(chkReturnGroup, 0, 2);
    grid->addWidget(OptMulti, 1, 0);
    grid->addWidget(CmdSetUp, 1, 1);
    grid->addWidget(OptOther, 2, 0);
    grid->addWidget(Frame2, 3, 0, 1, 3);
    grid->addWidget(lblExpirGroup, 4, 0);
    grid->addWidget(CboExpirGroup, 4, 1, 1, 2);
    grid->addWidget(lblExpirStaff, 5, 0);
    grid->addWidget(CboExpirStaff, 5, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    return Frame1;
}

QWidget* FrmNode::BuildPageFrame()
{
    fraFrame = MakeControl<QGroupBox>(FraNode, "fraFrame", 219);
    OptMainFlow = MakeControl<QRadioButton>(fraFrame, "OptMainFlow", 165);
    OptBuild = MakeControl<QRadioButton>(fraFrame, "OptBuild", 167);
    CboBuild = MakeControl<SelectOnlyCombo>(fraFrame, "CboBuild");
    OptWeb = MakeControl<QRadioButton>(fraFrame, "OptWeb", 166);
    TxtWeb = MakeControl<QLineEdit>(fraFrame, "TxtWeb");
    TxtWeb->setProperty(CaptionProperty, 166);
    ChkFull = MakeControl<QCheckBox>(fraFrame, "ChkFull", 168);

    m_pageOptions = new QButtonGroup(this);
    m_pageOptions->addButton(OptMainFlow);
    m_pageOptions->addButton(OptBuild);
    m_pageOptions->addButton(OptWeb);
    OptMainFlow->setChecked(true);

    auto* layout = new QVBoxLayout(fraFrame);
    layout->addWidget(OptMainFlow);
    layout->addWidget(OptBuild);
    layout->addWidget(CboBuild);
    layout->addWidget(OptWeb);
    layout->addWidget(TxtWeb);
    layout->addWidget(ChkFull);
    layout->addStretch(1);
    return fraFrame;
}

void FrmNode::ConnectRules()
{
    // toggled, not clicked: the rules must also follow values set by code.
    const auto whenChosen = [this](QRadioButton* option, void (FrmNode::*rule)()) {
        connect(option, &QRadioButton::toggled, this, [this, rule](bool on) {
            if (on)
                (this->*rule)();
        });
    };
    whenChosen(OptMainFlow, &FrmNode::OptMainFlow_Chosen);
    whenChosen(OptBuild, &FrmNode::OptBuild_Chosen);
    whenChosen(OptWeb, &FrmNode::OptWeb_Chosen);
    whenChosen(OptOld, &FrmNode::OptOld_Chosen);
    whenChosen(OptMulti, &FrmNode::OptMulti_Chosen);
    whenChosen(OptOther, &FrmNode::OptOther_Chosen);
    connect(ChkBack, &QCheckBox::toggled, this, [this] { ChkBack_Changed(); });
    connect(ChkModi1, &QCheckBox::toggled, this, [this] { ChkModi1_Changed(); });
    connect(ChkModi2, &QCheckBox::toggled, this, [this] { ChkModi2_Changed(); });
    connect(ChkTickOff, &QCheckBox::toggled, this, [this] { ChkTickOff_Changed(); });
    connect(CboStaffGroup, &SelectOnlyCombo::SelectionChanged, this,
            [this](int p) { CboStaffGroup_SelectionChanged(p); });
    connect(CboExpirGroup, &SelectOnlyCombo::SelectionChanged, this,
            [this](int p) { CboExpirGroup_SelectionChanged(p); });
    connect(CmdSetUp, &QPushButton::clicked, this, [this] { CmdSetUp_Click(); });
    connect(CmdOK, &QPushButton::clicked, this, [this] { CmdOK_Click(); });
    connect(CmdCancel, &QPushButton::clicked, this, [this] { CmdCancel_Click(); });
}

void FrmNode::FormLoad()
{
    LocaliseForm(*this);
    IgnoreErrors([this] { setWindowTitle(LoadResString(147)); });
    InitFormInfo();
    LoadTime();
    LoadRoleGroups();
    LoadDynamicForms();
    adjustSize();
    CentreOnScreen(*this);
    OptMainFlow_Chosen();
    ChkTickOff_Changed();
    IgnoreErrors([this] { Utility().ApplyFormStyle(this); });
}

void FrmNode::reject()
{
    setProperty(TagProperty, QString());
    QDialog::reject();
}

void FrmNode::closeEvent(QCloseEvent* event)
{
    setProperty(TagProperty, QString());
    QDialog::closeEvent(event);
}

} // namespace korvel

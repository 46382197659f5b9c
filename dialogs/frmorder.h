#pragma once

#include "persistence/cdboperate.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace korvel {

class NumericTextBox;
class SelectOnlyCombo;
class cWorder;

// The work-order dialog: the header of one frame (ID, name, priority, type, time limit, page,
// outbound callback, print template, customer notification, early-warning time).
//
// Constructing it loads it: texts, the five lookup lists, the host's style, the reply group
// disabled. The caller fills the public controls (for a header edit it disables TxtID, which also
// skips the duplicate-ID check), calls SetPrintfile/SetReplyFile/SetStatus, shows it modally and
// reads the controls when Tag() is "T". OK runs the input checks in order and stops at the first
// failure with its message and the focus on the field; Tag() is "" after Cancel or a close.
//
// A chosen template is kept in the dynamic property "Tag" of TxtFile / TxtReplyFile as
// group ID + "|-|" + template ID (empty: none); the box itself shows the template's description.
// The dialog never changes model objects.
class FrmOrder final : public QDialog {
    Q_OBJECT
public:
    explicit FrmOrder(QWidget* parent = nullptr);

    QString Tag() const;

    // Brings the reply controls in line with ChkTZ (runs its click handler).
    void SetStatus();
    // Chooses the print template: TxtFile's tag := vGrpID + "|-|" + vfileID, its text the template's
    // description ("" when the lookup finds none).
    void SetPrintfile(const QString& vGrpID, const QString& vfileID);
    // The same for the reply template in TxtReplyFile.
    void SetReplyFile(const QString& vGrpID, const QString& vfileID);

    // The group part (before the first "|-|") and the file part (after it) of a template tag; both
    // are "" when the tag holds no "|-|".
    // The header values as the controls hold them (frmorderfields.cpp).
    FrameValues Values() const;
    // Puts a frame's header into the controls for editing, the ID fixed. The order matters: each
    // switch is set before the boxes it empties when it changes.
    void Show(const cWorder& frame);

    static QString TagGroupPart(const QString& tag);
    static QString TagFilePart(const QString& tag);

    QGroupBox* FraNode = nullptr;
    QLineEdit* TxtID = nullptr;
    QLineEdit* TxtName = nullptr;
    SelectOnlyCombo* CboPriority = nullptr;
    SelectOnlyCombo* CboType = nullptr;
    SelectOnlyCombo* CboUnit = nullptr;
    NumericTextBox* TxtLen = nullptr;
    QCheckBox* CHKSendSkip = nullptr;
    NumericTextBox* TxtLen1 = nullptr;
    SelectOnlyCombo* CboUnit1 = nullptr;

    QGroupBox* fraFrame = nullptr;
    QRadioButton* OptWeb = nullptr;
    QLineEdit* TxtWeb = nullptr;
    QRadioButton* OptBuild = nullptr;
    SelectOnlyCombo* CboBuild = nullptr;
    QCheckBox* ChkFull = nullptr;

    QGroupBox* Frame1 = nullptr;
    QCheckBox* CHKClose = nullptr;
    NumericTextBox* TxtRate = nullptr;
    SelectOnlyCombo* CboObject = nullptr;
    QLineEdit* TxtFile = nullptr;
    QPushButton* CmdSelectFile = nullptr;

    QCheckBox* ChkTZ = nullptr;
    QGroupBox* Frame2 = nullptr;
    QRadioButton* OptFax = nullptr;
    QRadioButton* OptEmail = nullptr;
    QRadioButton* OptTel = nullptr;
    QLabel* lblAddress = nullptr;
    QLineEdit* txtAdd = nullptr;
    QLineEdit* TxtReplyFile = nullptr;
    QPushButton* CmdSeleReplyFile = nullptr;
    QLineEdit* TxtContent = nullptr;

    QPushButton* CmdOK = nullptr;
    QPushButton* CmdCancel = nullptr;

public slots:
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void ConnectHandlers();

    void LoadPriority();
    void LoadTime();
    void LoadWorkOrderType();
    void LoadDynamicForms();
    void LoadCampaigns();
    QString GetTemplateDescription(const QString& id);

    void ChkTZ_Click();
    void OptFax_Click();
    void OptEmail_Click();
    void OptTel_Click();
    void OptWeb_Click();
    void OptBuild_Click();
    void CHKClose_Click();
    void PickTemplate(QLineEdit& field);
    void CmdOK_Click();
    void CmdCancel_Click();

    void setTag(const QString& tag);
};

} // namespace korvel

#pragma once

#include "document/linkedit.h"
#include "persistence/cdboperate.h"

#include <QDialog>
#include <QString>
#include <QtGlobal>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace korvel {

class SelectOnlyCombo;
class cLink;
class cWorder;

// The link property dialog: code, description, father and son node, and the opening condition of
// one link of the open frame. The caller constructs it (which localises and centres it), hands it
// the frame with LoadBeginPage, fills the controls when editing, shows it through Modals() and reads
// the controls back when Tag() is "T". The dialog never changes the frame.
//
// The father list offers the start item ("BEGIN") and the frame's live nodes; the son list, rebuilt
// whenever the father selection changes, offers the live nodes that the link collection allows to
// join the father, and the end item ("END") unless the father already leads there. While editing,
// the link's own father and son stay in the lists although the rules would refuse them, because the
// edited link itself is what joins them.
class FrmLink final : public QDialog {
    Q_OBJECT
public:
    explicit FrmLink(QWidget* parent = nullptr);
    ~FrmLink() override;

    // Keeps the frame and the add flag (1 adding, 0 editing) for the son list and the OK checks, and
    // fills the father list. `vLinkForm` is the father of the edited link ("" when adding); when it is
    // "BEGIN" the start item is offered even though a link already leaves the start.
    void LoadBeginPage(cWorder& vWorkOrder, const QString& vLinkForm, qint32 vAddFlag);
    // The son of the link being edited; set only when editing, before the father is selected.
    void setCurLinkTo(const QString& vSonNodeID);

    // "T" after OK passed every check; "" after Cancel or any other way of closing.
    QString Tag() const;

    // The name and opening condition as the controls hold them: an always-open link carries no
    // condition, whatever the condition fields were left holding (frmlinkfields.cpp).
    LinkEdit Edit() const;
    // The new link of the frame `frameID` as the controls hold it: code, ends, name and condition.
    LinkValues Values(const QString& frameID) const;
    // Prepares the dialog for editing the frame's link: every control from the link, the ends fixed.
    void Show(cWorder& frame, const cLink& link);

    // The controls; callers and tests read and write them directly.
    QLabel* lblID = nullptr;
    QLineEdit* TxtID = nullptr;
    QLabel* lblDesc = nullptr;
    QLineEdit* Txtdesc = nullptr;
    QLabel* lblParent = nullptr;
    SelectOnlyCombo* CboParent = nullptr;
    QLabel* lblChild = nullptr;
    SelectOnlyCombo* CboChild = nullptr;
    QLabel* lblCondition = nullptr;
    QRadioButton* OptAll = nullptr;    // always open (AlwaysOpen 0)
    QRadioButton* OptFilter = nullptr; // open on the condition below (AlwaysOpen 1)
    QLineEdit* TxtFilter = nullptr;    // variable name
    QComboBox* CboRelation = nullptr;  // one of ConditionOperators()
    QLineEdit* TxtValue = nullptr;     // compared value
    QPushButton* CmdOK = nullptr;
    QPushButton* CmdCancel = nullptr;

public slots:
    // Any close other than a passed OK leaves an empty tag.
    void reject() override;

private:
    void BuildControls();
    void FormLoad();
    void LoadSonNodes(const QString& father);
    void CboParent_SelectionChanged(int position);
    void OptAll_Chosen();
    void OptFilter_Chosen();
    void CmdOK_Click();
    void CmdCancel_Click();
    // One failed OK check: the message, then the focus on the field (none when `field` is null).
    void Refuse(qint32 messageId, QWidget* field);

    cWorder* m_workOrder = nullptr;
    QString m_curLinkTo;
    qint32 m_addFlag = 1;
};

} // namespace korvel

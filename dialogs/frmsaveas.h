#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace korvel {

// The save-as dialog of the designer's copy command: shows the name of the frame being copied
// (TxtOldWO, read-only) and asks for the ID (TxtNewID) and the name (TxtNewName) of the copy.
// Its captions are fixed texts, the same in every language.
//
// OK refuses, in this order: an empty ID, an ID of 7 bytes or more, an ID some frame already has,
// an empty name (IDs and names are tested without surrounding blanks). LblExplain, above the ID
// box and hidden unless a caller fills it, says why an ID is asked for. Tag() is "T" after a passed
// OK, "" after loading, Cancel or any other way of closing. The dialog writes nothing.
class FrmSaveAs final : public QDialog {
    Q_OBJECT
public:
    explicit FrmSaveAs(QWidget* parent = nullptr);

    QString Tag() const;

    QLabel* lbl = nullptr;
    QLineEdit* TxtOldWO = nullptr;
    QLabel* LblExplain = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* TxtNewID = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* TxtNewName = nullptr;
    QPushButton* CmdOK = nullptr;
    QPushButton* CmdCacel = nullptr;

public slots:
    void reject() override;

private:
    void CmdOK_Click();
    void CmdCacel_Click();
    void setTag(const QString& tag);
};

} // namespace korvel

#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QListView;
class QPushButton;

namespace korvel {

class cWOrders;
class FrameFilterModel;
class FrameTreeModel;

// Picks a frame of the list to open: the list (LstFrames) shows every frame as the tree does,
// narrowed as the user types part of an ID or a name into TxtFrameFilter (the tree's filter rule);
// the highlighted row is the choice, the first row once typing leaves the highlighted one out. OK,
// Enter or a double click chooses it; Chosen() is then its frame ID, empty after Cancel or with no
// row left. The dialog opens nothing itself.
class FrmOpenFrame final : public QDialog {
    Q_OBJECT
public:
    FrmOpenFrame(cWOrders& workOrders, QWidget* parent = nullptr);

    QString Chosen() const { return m_chosen; }

    QLabel* LblFilter = nullptr;
    QLineEdit* TxtFrameFilter = nullptr;
    QListView* LstFrames = nullptr;
    QPushButton* CmdOK = nullptr;
    QPushButton* CmdCancel = nullptr;

private:
    // Narrows the list to the text; the highlight stays on its row while it shows, else the first.
    void Filter(const QString& text);
    // The highlighted row's frame ID, empty when none.
    QString Highlighted() const;
    void Choose();

    FrameTreeModel* m_model = nullptr;
    FrameFilterModel* m_filter = nullptr;
    QString m_chosen;
};

} // namespace korvel

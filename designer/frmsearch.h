#pragma once

#include "persistence/flowsearch.h"

#include <QDialog>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace korvel {

// The search across every frame: the user types a text (TxtFind) and presses Search (CmdSearch, or
// Enter); the hits of SearchFlows are listed (LstHits: work order, item, matching text) with their
// count (LblCount). Choosing a hit (double click, or CmdOpen on the selected row) closes the dialog
// with Tag() "T" and Chosen() that hit, unless the opener (SetOpener) refuses the hit: then the
// dialog stays open as it was. CmdClose closes it with Tag() "". It writes nothing.
class FrmSearch final : public QDialog {
    Q_OBJECT
public:
    // `frameNames`: the name of each frame by ID, to show beside the IDs of the hits.
    explicit FrmSearch(const QHash<QString, QString>& frameNames, QWidget* parent = nullptr);

    QString Tag() const;
    const SearchHit& Chosen() const { return m_chosen; }
    // Called with the hit chosen, before the dialog closes; false keeps it open (e.g. the user
    // cancelled the question about unsaved changes that going to the hit's frame asks).
    void SetOpener(std::function<bool(const SearchHit&)> opener) { m_opener = std::move(opener); }

    QLabel* LblFind = nullptr;
    QLineEdit* TxtFind = nullptr;
    QPushButton* CmdSearch = nullptr;
    QTreeWidget* LstHits = nullptr;
    QLabel* LblCount = nullptr;
    QPushButton* CmdOpen = nullptr;
    QPushButton* CmdClose = nullptr;

public slots:
    void reject() override;

private:
    void CmdSearch_Click();
    void Choose(QTreeWidgetItem* row);
    void setTag(const QString& tag);

    QHash<QString, QString> m_frameNames;
    QList<SearchHit> m_hits;
    SearchHit m_chosen;
    std::function<bool(const SearchHit&)> m_opener;
};

} // namespace korvel

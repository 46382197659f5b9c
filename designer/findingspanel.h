#pragma once

#include "model/flowcheck.h"

#include <QDockWidget>
#include <QList>
#include <QString>

class QTreeWidget;
class QTreeWidgetItem;

namespace korvel {

// The dock below the canvas that lists the findings about the current frame: the flow check's and
// those an import reported. One row per finding: severity (icon and word), message, and the step or
// link it is about. Choosing a row (click, or Enter) tells the window through FindingChosen; the
// window selects the item on the canvas.
//
// Its title, column headers and row texts come from the string table; the title keeps its id in
// "Tag" and the headers theirs under Qt::UserRole, so LocaliseForm translates them with the window.
class FindingsPanel final : public QDockWidget {
    Q_OBJECT
public:
    explicit FindingsPanel(QWidget* parent = nullptr);

    // Lists the findings about `frameId` (the rows stay as they are when nothing changed, keeping
    // the user's place); no findings shows one row saying so.
    void ShowFindings(const QString& frameId, const QList<FlowFinding>& findings);
    // Empties the list (no frame is current).
    void Clear();
    QTreeWidget& LstFindings() { return *m_list; }
    // The findings listed, in row order.
    const QList<FlowFinding>& Findings() const { return m_findings; }

signals:
    void FindingChosen(korvel::FindingItem item, const QString& key);

private:
    void Choose(QTreeWidgetItem* row);

    QTreeWidget* m_list = nullptr;
    QString m_frameId;
    QList<FlowFinding> m_findings;
    bool m_filled = false;
};

} // namespace korvel

#pragma once

#include <QSortFilterProxyModel>
#include <QString>

namespace korvel {

class cWOrders;

// The tree's rows that the filter box lets through: frames whose ID or name contains the typed text,
// without regard to letter case or to the width of what was typed ("ＣＭＰ" finds "CMP01"). A new
// text only adds and removes the rows that change, so rows that stay keep their selection.
class FrameFilterModel final : public QSortFilterProxyModel {
    Q_OBJECT
public:
    FrameFilterModel(cWOrders& workOrders, QObject* parent);

    // Shows only the frames matching `text`; every frame when it is empty or blank.
    void SetText(const QString& text);
    const QString& Text() const { return m_text; }
    // Leaves out the node of the deleted frames (a list to pick a frame from).
    void SetFramesOnly(bool framesOnly) { m_framesOnly = framesOnly; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    cWOrders& m_workOrders;
    QString m_text;
    bool m_framesOnly = false;
};

} // namespace korvel

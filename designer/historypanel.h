#pragma once

#include "persistence/frameversions.h"

#include <QDockWidget>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace korvel {

// The dock beside the canvas that lists one frame's stored versions, newest first: number, who
// (name), when and the summary line. It only shows and asks: choosing a row reports VersionChosen,
// the buttons report what the user asked for, and the list of changes of a comparison reports the
// line chosen. The line above the list says what the canvas shows; "Back to the work order" shows
// while that is not the frame being edited.
class HistoryPanel final : public QDockWidget {
    Q_OBJECT
public:
    explicit HistoryPanel(QWidget* parent = nullptr);

    // Lists `rows` (newest first) under the heading `title`. A frame deleted offers Undelete instead
    // of Restore. The selection is kept on the versions still listed.
    void ShowVersions(const QString& title, const QList<FrameVersionRow>& rows, bool deleted);
    // The line saying what the canvas shows; an empty text shows the heading and hides the way back.
    void ShowShown(const QString& text);
    // The list of changes of a comparison; hidden when `lines` is empty and `shown` false.
    void ShowChanges(const QStringList& lines, bool shown);
    // The version numbers selected, in list order (newest first).
    QList<int> SelectedVersions() const;
    // Selects the rows of these versions only.
    void SelectVersions(const QList<int>& versions);

    QTreeWidget& LstVersions() { return *m_versions; }
    QTreeWidget& LstChanges() { return *m_changes; }
    QLabel& LblShown() { return *m_shown; }
    QPushButton& Button(const QString& name);

signals:
    void VersionChosen(int version);
    void CompareRequested();
    void RestoreRequested();
    void UndeleteRequested();
    void BackRequested();
    void ChangeChosen(int index);

private:
    QTreeWidget* m_versions = nullptr;
    QTreeWidget* m_changes = nullptr;
    QLabel* m_shown = nullptr;
    QString m_title;
    QHash<QString, QPushButton*> m_buttons;
    QHash<QString, QString> m_names; // staff ID -> name, read once per panel
};

} // namespace korvel

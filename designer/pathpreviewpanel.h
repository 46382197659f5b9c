#pragma once

#include "model/pathwalk.h"

#include <QDockWidget>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class QFormLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;

namespace korvel {

// The dock beside the canvas that previews where a work order goes: one value field for each
// variable the frame's conditional links test (labelled with the name and the operators used), a
// line saying where the path ends, the steps passed in order, the steps never reached and the
// variables tested but left empty. It only shows and asks: an edit of a field reports ValuesEdited,
// a step chosen in either list reports StepChosen.
class PathPreviewPanel final : public QDockWidget {
    Q_OBJECT
public:
    explicit PathPreviewPanel(QWidget* parent = nullptr);

    // One field per variable of frame `frameId`, filled from `values` (by VariableKey). The fields
    // stay as they are, with the user's place in them, while the frame and its variables do.
    void ShowVariables(const QString& frameId, const QList<WalkVariable>& variables,
                       const WalkValues& values);
    // The values typed, by VariableKey; empty fields are left out.
    WalkValues Values() const;
    // Tints the field of the variable with this key as a warning with `why` as its tool tip; an
    // empty `why` clears it.
    void ShowFault(const QString& key, const QString& why);
    // A step or End: its ID and the text its row shows.
    struct Step {
        QString id;
        QString text;
    };
    // The walk's outcome: `result` says where the path ends (or why there is none), the lists the
    // steps passed and never reached, `unset` the variables tested but left empty.
    void ShowResult(const QString& result, const QList<Step>& passed, const QList<Step>& unreached,
                    const QStringList& unset);

    QLineEdit* Field(const QString& key) const { return m_fields.value(key); }
    QLabel& LblResult() { return *m_result; }
    QListWidget& LstPassed() { return *m_passed; }
    QListWidget& LstUnreached() { return *m_unreached; }
    QLabel& LblUnset() { return *m_unset; }

signals:
    void ValuesEdited();
    void StepChosen(const QString& stepId);

private:
    QFormLayout* m_form = nullptr;
    QString m_frameId;
    QList<WalkVariable> m_variables;
    QHash<QString, QLineEdit*> m_fields; // by VariableKey
    QLabel* m_none = nullptr;            // said when no link tests a variable
    QLabel* m_result = nullptr;
    QListWidget* m_passed = nullptr;
    QListWidget* m_unreached = nullptr;
    QLabel* m_unset = nullptr;
};

} // namespace korvel

#pragma once

#include <QHash>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <memory>

namespace korvel {
class FlowScene;
class FrmMain;
} // namespace korvel

namespace korvel::bench {

// The designer window driven as a user drives it, on the offscreen screen. Everything the
// benchmark does to the window's widgets goes through here, so that a change of the window's
// insides (the tree, the actions) is followed in this one place. Failures throw KorvelError.
class DesignerDriver final {
public:
    // Builds the window and shows and paints it: frame list read, tree filled, first frame drawn.
    DesignerDriver();
    ~DesignerDriver();
    DesignerDriver(const DesignerDriver&) = delete;
    DesignerDriver& operator=(const DesignerDriver&) = delete;

    FrmMain& Window() { return *m_window; }
    FlowScene& Scene();

    // The frames the tree lists.
    int ListedFrames();
    // Clicks the frame in the tree and paints the canvas.
    void OpenFrame(const QString& frameID);
    // The Lock button on the open frame; throws unless the canvas is editable afterwards.
    void Lock();
    // Runs the toolbar button or menu bar item of this name (e.g. "SelectAll", "Copy", "Paste",
    // "Undo"); throws when there is none or it is disabled.
    void Trigger(const QString& name);
    // A key pressed (and released) on the canvas.
    void PressKey(int key);
    // Selects exactly these steps (IDs), as a band drawn around them would.
    void SelectSteps(const QStringList& ids);
    // Selects what Select all selects (every step and link) with one notice of the change, so that
    // the cases that start from it do not wait for Select all itself.
    void SelectEverything();
    // What the event loop has waiting is done and the canvas painted once: work the window defers
    // is counted where it is caused.
    void Settle();

    // The canvas's steps (without Start and End) and the selected ones.
    int ShownSteps();
    int SelectedSteps();
    // The top-left corners of the shown steps, by step ID.
    QHash<QString, QPointF> StepPlaces();

private:
    std::unique_ptr<FrmMain> m_window;
};

} // namespace korvel::bench

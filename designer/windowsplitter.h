#pragma once

#include <QObject>
#include <functional>

class QFrame;
class QWidget;

namespace korvel {

// The splitter between the tree and the canvas: a handle the user drags, and a bar shown while
// dragging. The controls are laid out afresh (by `relayout`, for the position in twips) only when
// the drag ends. Positions are in twips (15 twips per pixel).
class WindowSplitter final : public QObject {
    Q_OBJECT
public:
    // `window` measures how far the bar may go; handle and bar are children of `client`.
    WindowSplitter(QWidget& window, QWidget& client, std::function<void(double& x)> relayout);

    QWidget& Handle(); // the handle the user drags
    // The splitter position (the drag bar's left).
    double Left() const { return m_left; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ImgSplitter_MouseDown();
    void ImgSplitter_MouseMove(double mouseX);
    void ImgSplitter_MouseUp();

    QWidget& m_window;
    std::function<void(double& x)> m_relayout;
    QWidget* m_imgSplitter = nullptr;
    QFrame* m_picSplitter = nullptr;
    double m_left = 3000; // picSplitter's left
    bool m_moving = false;
};

} // namespace korvel

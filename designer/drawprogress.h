#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <memory>

class QProgressDialog;
class QWidget;

namespace korvel {

// The progress of drawing a flow, counted in items drawn. Its dialog appears only when the whole
// drawing is expected to take longer than half a second (QProgressDialog's minimum duration), so
// small flows never show it; a drawing that is over within a tenth of a second does not even
// create it. It offers no Cancel: half a flow is of no use. It is modal to the window, so while it
// is up the window takes no clicks and the events it lets through only repaint.
class DrawProgress final {
public:
    DrawProgress(QWidget* window, const QString& label, int items);
    ~DrawProgress();
    DrawProgress(const DrawProgress&) = delete;
    DrawProgress& operator=(const DrawProgress&) = delete;

    // One more item drawn.
    void Advance();

private:
    QPointer<QWidget> m_window;
    QString m_label;
    int m_items = 0;
    int m_done = 0;
    QElapsedTimer m_clock;
    std::unique_ptr<QProgressDialog> m_dialog;
};

} // namespace korvel

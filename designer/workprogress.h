#pragma once

#include "core/progress.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <memory>

class QProgressDialog;
class QWidget;

namespace korvel {

// The progress of long work in the window (drawing a flow, copying a frame), counted in items. Its
// dialog appears only when the whole work is expected to take longer than half a second
// (QProgressDialog's minimum duration), so small frames never show it; work that is over within a
// tenth of a second does not even create it. It offers no Cancel: half a flow or half a copy is
// of no use. It is modal to the window, so while it is up the window takes no clicks and the
// events it lets through only repaint.
class WorkProgress final : public Progress {
public:
    WorkProgress(QWidget* window, const QString& label, int items);
    ~WorkProgress() override;
    WorkProgress(const WorkProgress&) = delete;
    WorkProgress& operator=(const WorkProgress&) = delete;

    void Expect(int items) override { m_items = items; }
    // One more item done.
    void Advance() override;

private:
    QPointer<QWidget> m_window;
    QString m_label;
    int m_items = 0;
    int m_done = 0;
    QElapsedTimer m_clock;
    std::unique_ptr<QProgressDialog> m_dialog;
};

} // namespace korvel

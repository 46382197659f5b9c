#include "designer/workprogress.h"

#include <QProgressDialog>
#include <algorithm>

namespace korvel {
namespace {

constexpr qint64 ShowAfterMilliseconds = 500;
// Before this, no estimate is worth making (QProgressDialog itself waits 50 ms).
constexpr qint64 CreateAfterMilliseconds = 100;
// The dialog hears of every so many items: often enough to move smoothly, rarely enough to cost
// nothing beside the drawing.
constexpr int ItemsPerUpdate = 64;

} // namespace

WorkProgress::WorkProgress(QWidget* window, const QString& label, int items)
    : m_window(window), m_label(label), m_items(items)
{
    m_clock.start();
}

WorkProgress::~WorkProgress() = default;

void WorkProgress::Advance()
{
    ++m_done;
    if (m_done % ItemsPerUpdate != 0 || m_done >= m_items)
        return;
    if (!m_dialog) {
        const qint64 elapsed = m_clock.elapsed();
        if (elapsed < CreateAfterMilliseconds)
            return;
        // The dialog counts from here: its range starts at what is done, and its minimum duration
        // is what is left of the half second.
        m_dialog = std::make_unique<QProgressDialog>(m_label, QString(), m_done, m_items, m_window);
        m_dialog->setObjectName(QStringLiteral("WorkProgress"));
        if (m_window)
            m_dialog->setWindowTitle(m_window->windowTitle());
        m_dialog->setWindowModality(Qt::WindowModal);
        m_dialog->setCancelButton(nullptr);
        m_dialog->setMinimumDuration(static_cast<int>(std::max<qint64>(0, ShowAfterMilliseconds - elapsed)));
        m_dialog->setValue(m_done); // starts the dialog's clock
        return;
    }
    m_dialog->setValue(m_done);
}

} // namespace korvel

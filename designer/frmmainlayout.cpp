#include "designer/frmmain.h"

#include "core/errorlog.h"
#include "canvas/flowview.h"
#include "model/cworders.h"

#include <QFrame>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

namespace korvel {
namespace {

// The splitter handle's width and the tree-to-canvas gap, twips.
constexpr double HandleWidth = 60;
constexpr double CanvasGap = 40;

int Pixels(double twips)
{
    return qRound(twips / TwipsPerPixel);
}

} // namespace

void FrmMain::SizeControls(double& x)
{
    const double outerWidth = frameGeometry().width() * TwipsPerPixel;
    const double innerWidth = width() * TwipsPerPixel;
    // The client area ends where the status bar begins, or a dock below it: QMainWindow lays it out
    // once the window is shown.
    const double innerHeight =
        (isVisible() ? m_client->height() : height() - m_status->sizeHint().height() - menuBar()->sizeHint().height()) *
        TwipsPerPixel;
    const double toolbarHeight = m_toolbar->sizeHint().height() * TwipsPerPixel;

    IgnoreErrors([&] { m_toolbar->setGeometry(0, 0, width(), Pixels(toolbarHeight)); });
    if (x < 1500)
        x = 1500;
    if (x > outerWidth - 1500)
        x = outerWidth - 1500;
    const double treeWidth = x;
    const double top = toolbarHeight + 10;
    const double height = innerHeight - toolbarHeight;
    IgnoreErrors([&] { m_tree->setGeometry(0, Pixels(top), Pixels(treeWidth), Pixels(height)); });
    IgnoreErrors([&] {
        m_flow->setGeometry(Pixels(x + CanvasGap), Pixels(top), Pixels(innerWidth - (treeWidth + CanvasGap)),
                            Pixels(height));
    });
    IgnoreErrors([&] {
        m_imgSplitter->setGeometry(Pixels(x), Pixels(top), Pixels(HandleWidth), Pixels(height));
        m_imgSplitter->raise();
    });
}

void FrmMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    double x = m_splitterLeft;
    SizeControls(x);
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_client && event->type() == QEvent::Resize) {
        // A dock opened, closed or resized below the client area.
        double x = m_splitterLeft;
        SizeControls(x);
    } else if (watched == m_imgSplitter) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            ImgSplitter_MouseDown();
            return true;
        case QEvent::MouseMove:
            ImgSplitter_MouseMove(static_cast<QMouseEvent*>(event)->position().x() * TwipsPerPixel);
            return true;
        case QEvent::MouseButtonRelease:
            ImgSplitter_MouseUp();
            return true;
        default:
            break;
        }
    } else if ((watched == m_tree && event->type() == QEvent::KeyPress) ||
               (watched == m_tree->viewport() && event->type() == QEvent::MouseButtonRelease)) {
        // What the tree highlights is the current frame: moving the highlight with the keys, or
        // dragging it onto another row (which reports no click), selects that frame just like a
        // click. The tree handles the event first; then its item is clicked unless it is the
        // current frame already (a click has been handled by then).
        QMetaObject::invokeMethod(
            this,
            [this] {
                QTreeWidgetItem* now = m_tree->currentItem();
                if (now && now->data(0, TreeKeyRole).toString().mid(1) != m_workOrders->CurWOrder()) {
                    TrvTree_NodeClick(now);
                    IgnoreErrors([this] { ShowWindowState(); });
                }
            },
            Qt::QueuedConnection);
    }
    return QMainWindow::eventFilter(watched, event);
}

void FrmMain::ImgSplitter_MouseDown()
{
    IgnoreErrors([&] {
        const double handleLeft = m_imgSplitter->x() * TwipsPerPixel;
        const double handleTop = m_imgSplitter->y() * TwipsPerPixel;
        const double barWidth = static_cast<qint32>(m_imgSplitter->width() * TwipsPerPixel) / 2;
        const double barHeight = m_imgSplitter->height() * TwipsPerPixel - 20;
        m_splitterLeft = handleLeft;
        m_picSplitter->setGeometry(Pixels(handleLeft), Pixels(handleTop), std::max(1, Pixels(barWidth)),
                                   Pixels(barHeight));
    });
    IgnoreErrors([&] {
        m_picSplitter->show();
        m_picSplitter->raise();
    });
    SplitterMoving = true;
}

void FrmMain::ImgSplitter_MouseMove(double mouseX)
{
    if (!SplitterMoving)
        return;
    IgnoreErrors([&] {
        const double outerWidth = frameGeometry().width() * TwipsPerPixel;
        const double p = m_imgSplitter->x() * TwipsPerPixel + mouseX;
        if (p < 900)
            m_splitterLeft = 900;
        else if (p > outerWidth - 900)
            m_splitterLeft = outerWidth - 900;
        else
            m_splitterLeft = p;
        m_picSplitter->move(Pixels(m_splitterLeft), m_picSplitter->y());
    });
}

void FrmMain::ImgSplitter_MouseUp()
{
    IgnoreErrors([&] {
        double x = m_splitterLeft;
        SizeControls(x);
    });
    IgnoreErrors([&] { m_picSplitter->hide(); });
    SplitterMoving = false;
}

} // namespace korvel

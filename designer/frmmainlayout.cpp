#include "designer/frmmain.h"

#include "canvas/flowview.h"
#include "core/errorlog.h"
#include "designer/frametree.h"
#include "designer/windowsplitter.h"

#include <QEvent>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeView>

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
        (isVisible() ? m_client->height() : height() - statusBar()->sizeHint().height() - menuBar()->sizeHint().height()) *
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
    IgnoreErrors([&] { m_tree->Panel().setGeometry(0, Pixels(top), Pixels(treeWidth), Pixels(height)); });
    IgnoreErrors([&] {
        m_flow->setGeometry(Pixels(x + CanvasGap), Pixels(top), Pixels(innerWidth - (treeWidth + CanvasGap)),
                            Pixels(height));
    });
    IgnoreErrors([&] {
        m_splitter->Handle().setGeometry(Pixels(x), Pixels(top), Pixels(HandleWidth), Pixels(height));
        m_splitter->Handle().raise();
    });
}

void FrmMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (!m_splitter)
        return; // still being built
    double x = m_splitter->Left();
    SizeControls(x);
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_client && event->type() == QEvent::Resize) {
        // A dock opened, closed or resized below the client area.
        double x = m_splitter->Left();
        SizeControls(x);
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace korvel

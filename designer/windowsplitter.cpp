#include "designer/windowsplitter.h"

#include "canvas/flowscene.h"
#include "core/errorlog.h"

#include <QFrame>
#include <QMouseEvent>

namespace korvel {
namespace {

int Pixels(double twips)
{
    return qRound(twips / TwipsPerPixel);
}

} // namespace

WindowSplitter::WindowSplitter(QWidget& window, QWidget& client, std::function<void(double& x)> relayout)
    : QObject(&client), m_window(window), m_relayout(std::move(relayout))
{
    m_imgSplitter = new QWidget(&client);
    m_imgSplitter->setObjectName(QStringLiteral("imgSplitter"));
    m_imgSplitter->setCursor(Qt::SplitHCursor);
    m_imgSplitter->setMouseTracking(false);
    m_imgSplitter->installEventFilter(this);

    m_picSplitter = new QFrame(&client);
    m_picSplitter->setObjectName(QStringLiteral("picSplitter"));
    m_picSplitter->setFrameShape(QFrame::NoFrame);
    m_picSplitter->setAutoFillBackground(true);
    QPalette barPalette = m_picSplitter->palette();
    barPalette.setColor(QPalette::Window, barPalette.color(QPalette::Dark));
    m_picSplitter->setPalette(barPalette);
    m_picSplitter->hide();
}

QWidget& WindowSplitter::Handle()
{
    return *m_imgSplitter;
}

bool WindowSplitter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_imgSplitter) {
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
    }
    return QObject::eventFilter(watched, event);
}

void WindowSplitter::ImgSplitter_MouseDown()
{
    IgnoreErrors([&] {
        const double handleLeft = m_imgSplitter->x() * TwipsPerPixel;
        const double handleTop = m_imgSplitter->y() * TwipsPerPixel;
        const double barWidth = static_cast<qint32>(m_imgSplitter->width() * TwipsPerPixel) / 2;
        const double barHeight = m_imgSplitter->height() * TwipsPerPixel - 20;
        m_left = handleLeft;
        m_picSplitter->setGeometry(Pixels(handleLeft), Pixels(handleTop), std::max(1, Pixels(barWidth)),
                                   Pixels(barHeight));
    });
    IgnoreErrors([&] {
        m_picSplitter->show();
        m_picSplitter->raise();
    });
    m_moving = true;
}

void WindowSplitter::ImgSplitter_MouseMove(double mouseX)
{
    if (!m_moving)
        return;
    IgnoreErrors([&] {
        const double outerWidth = m_window.frameGeometry().width() * TwipsPerPixel;
        const double p = m_imgSplitter->x() * TwipsPerPixel + mouseX;
        if (p < 900)
            m_left = 900;
        else if (p > outerWidth - 900)
            m_left = outerWidth - 900;
        else
            m_left = p;
        m_picSplitter->move(Pixels(m_left), m_picSplitter->y());
    });
}

void WindowSplitter::ImgSplitter_MouseUp()
{
    IgnoreErrors([&] {
        double x = m_left;
        m_relayout(x);
    });
    IgnoreErrors([&] { m_picSplitter->hide(); });
    m_moving = false;
}

} // namespace korvel

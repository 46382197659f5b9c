#include "canvas/captionlayout.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QStringList>
#include <QTextLine>
#include <QTextOption>
#include <QtMath>

namespace korvel {

CaptionLayout::CaptionLayout(const QString& text, const QFont& font, const QRectF& rect, bool wordWrap,
                             Qt::LayoutDirection direction)
    : m_font(font), m_rect(rect)
{
    const QStringList variants = text.split(QChar(0x9c));
    for (qsizetype i = 0; i < variants.size(); ++i) {
        if (layOut(variants.at(i), wordWrap, direction) || i + 1 == variants.size())
            break;
    }
}

bool CaptionLayout::layOut(const QString& variant, bool wordWrap, Qt::LayoutDirection direction)
{
    QString shown = variant;
    for (QChar& c : shown) {
        if (c == u'\r' || c == u'\t')
            c = u' ';
        else if (c == u'\n')
            c = QChar::LineSeparator;
    }
    QTextOption option;
    option.setTextDirection(direction);
    option.setAlignment(Qt::AlignLeft); // each line is centred when drawn
    m_layout.setText(shown);
    m_layout.setFont(m_font);
    m_layout.setTextOption(option);
    m_layout.setCacheEnabled(true);

    // Line by line as drawText does: lines start on whole pixels, and none is laid out below the
    // rectangle once it is full.
    const QFontMetricsF metrics(m_font);
    qreal height = 0;
    qreal width = 0;
    if (shown.isEmpty()) {
        height = metrics.height();
    } else {
        const qreal lineWidth = wordWrap ? qMax<qreal>(0, m_rect.width()) : 0x01000000;
        const qreal leading = metrics.leading();
        height = -leading;
        m_layout.beginLayout();
        for (;;) {
            QTextLine line = m_layout.createLine();
            if (!line.isValid())
                break;
            line.setLineWidth(lineWidth);
            height = qCeil(height + leading);
            line.setPosition(QPointF(0, height));
            height += line.ascent() + line.descent();
            width = qMax(width, line.naturalTextWidth());
            if (height >= m_rect.height())
                break;
        }
        m_layout.endLayout();
    }
    m_bounds = QRectF(m_rect.x() + (m_rect.width() - width) / 2, m_rect.y() + (m_rect.height() - height) / 2,
                      width, height);
    return m_rect.contains(m_bounds);
}

void CaptionLayout::Draw(QPainter& painter) const
{
    if (m_layout.lineCount() == 0 || painter.pen().style() == Qt::NoPen)
        return;
    const bool clip = !m_rect.contains(m_bounds);
    if (clip) {
        painter.save();
        painter.setClipRect(m_rect, Qt::IntersectClip);
    }
    for (int i = 0; i < m_layout.lineCount(); ++i) {
        const QTextLine line = m_layout.lineAt(i);
        const qreal left = m_rect.x() + (m_rect.width() - line.horizontalAdvance()) / 2;
        line.draw(&painter, QPointF(left, m_bounds.y()));
    }
    if (clip)
        painter.restore();
}

} // namespace korvel

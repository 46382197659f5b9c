#pragma once

#include <QFont>
#include <QRectF>
#include <QString>
#include <QTextLayout>

class QPainter;

namespace korvel {

// A centred caption laid out once and drawn many times. It puts the same lines at the same places
// as QPainter::drawText(rect, Qt::AlignCenter [| Qt::TextWordWrap], text): "\n" breaks the line,
// "\r" and tabs become blanks, of several length variants (separated by U+009C) the first that
// fits is taken, and a caption larger than the rectangle is clipped to it. What it saves is the
// line breaking and shaping, the costly part of drawText.
class CaptionLayout final {
public:
    CaptionLayout(const QString& text, const QFont& font, const QRectF& rect, bool wordWrap,
                  Qt::LayoutDirection direction);
    CaptionLayout(const CaptionLayout&) = delete;
    CaptionLayout& operator=(const CaptionLayout&) = delete;

    // Draws with the painter's pen; the painter's font is not used.
    void Draw(QPainter& painter) const;

private:
    // Lays out one length variant; false when it does not fit the rectangle.
    bool layOut(const QString& variant, bool wordWrap, Qt::LayoutDirection direction);

    QFont m_font;
    QRectF m_rect;
    QTextLayout m_layout;
    QRectF m_bounds; // the lines' box
};

} // namespace korvel

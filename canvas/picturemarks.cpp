#include "canvas/picturemarks.h"

#include <QPainter>
#include <QUuid>

namespace korvel {
namespace {

PictureMarks* current = nullptr;

} // namespace

PictureMarks::PictureMarks(const QPaintDevice* device)
    : m_device(device),
      m_prefix(QStringLiteral("korvel-mark-") + QUuid::createUuid().toString(QUuid::Id128) + u'-'),
      m_outer(current)
{
    current = this;
}

PictureMarks::~PictureMarks()
{
    current = m_outer;
}

PictureMarks* PictureMarks::On(const QPainter& painter)
{
    return current && painter.device() == current->m_device ? current : nullptr;
}

void PictureMarks::Draw(QPainter& painter, const QString& key, const QRectF& target)
{
    painter.save();
    // The SVG generator writes no text for a painter without a pen.
    painter.setPen(Qt::black);
    painter.drawText(target.topLeft(), m_prefix + QString::number(m_marks.size()));
    painter.restore();
    m_marks.append({key, target});
}

} // namespace korvel

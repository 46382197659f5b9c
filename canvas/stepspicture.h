#pragma once

#include "persistence/cdboperate.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QMimeData>
#include <QtGlobal>

namespace korvel {

// The most pixels a picture of copied steps has: a larger one is drawn smaller (16 MB of pixels).
inline constexpr qint64 MaxCopiedPicturePixels = 4'000'000;

// The copied steps and the links between them drawn as the canvas draws them, `zoom` times the
// screen size, on white, scaled down to at most MaxCopiedPicturePixels. Null when there are none.
QImage StepsPicture(const QList<NodeValues>& steps, const QList<LinkValues>& links, double zoom);

// What Copy puts on the clipboard: the steps as JSON (docs/clipboard-format.md) and a picture of
// them, which is drawn only when a program asks for it (pasting into a picture editor), from the
// JSON itself, so it shows what was copied whatever the canvas shows by then.
class StepsMimeData final : public QMimeData {
    Q_OBJECT
public:
    StepsMimeData(const QByteArray& stepsJson, double zoom);

    bool hasFormat(const QString& mimeType) const override;
    QStringList formats() const override;

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    double m_zoom;
};

} // namespace korvel

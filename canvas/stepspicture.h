#pragma once

#include "exchange/stepclipboard.h"
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

// What Copy puts on the clipboard: the copied steps, offered as JSON (docs/clipboard-format.md)
// and as a picture. Both are made only when a program asks for them (a paste, a picture editor),
// from the values copied, which share their texts with the frame and so cost little to keep:
// copying ten thousand steps writes no text and draws nothing.
class StepsMimeData final : public QMimeData {
    Q_OBJECT
public:
    StepsMimeData(CopiedSteps copied, double zoom);

    bool hasFormat(const QString& mimeType) const override;
    QStringList formats() const override;

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    CopiedSteps m_copied;
    double m_zoom;
};

} // namespace korvel

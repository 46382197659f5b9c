#pragma once

#include <QList>
#include <QRectF>
#include <QString>

class QPaintDevice;
class QPainter;

namespace korvel {

// While one lives, PaintDesignerPicture draws no picture into its device (an SVG generator) but a
// mark: a text no step can hold (the object's random prefix and the mark's number), which the SVG
// writer replaces by a reference to the picture's one definition. Pictures drawn elsewhere, such as
// those definitions, are drawn as always. Pictures are drawn on the GUI thread only; while marks
// nest, only the newest one marks.
class PictureMarks final {
public:
    struct Mark {
        QString key;    // the picture, as PaintDesignerPicture takes it
        QRectF target;  // where it is drawn, in the painter's coordinates then
    };

    explicit PictureMarks(const QPaintDevice* device);
    ~PictureMarks();
    PictureMarks(const PictureMarks&) = delete;
    PictureMarks& operator=(const PictureMarks&) = delete;

    // The marks being drawn on `painter`'s device now, if any.
    static PictureMarks* On(const QPainter& painter);

    // Records the picture `key` in `target` and draws its mark there.
    void Draw(QPainter& painter, const QString& key, const QRectF& target);

    const QList<Mark>& marks() const { return m_marks; }
    // Every mark's text is this prefix followed by its index in marks().
    const QString& prefix() const { return m_prefix; }

private:
    const QPaintDevice* m_device;
    QString m_prefix;
    QList<Mark> m_marks;
    PictureMarks* m_outer = nullptr;
};

} // namespace korvel

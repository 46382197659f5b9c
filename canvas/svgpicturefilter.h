#pragma once

#include "canvas/picturemarks.h"
#include "canvas/svgstyleclasses.h"

#include <QByteArray>
#include <QIODevice>
#include <QList>

namespace korvel {

// The device QSvgGenerator writes a scene's document into: hands it on to `target` with each
// picture mark (PictureMarks) replaced by a `<use>` of the picture's one definition, the
// definitions added to `<defs>`, the groups and attributes that draw nothing left out, and the
// painter state in style classes (SvgStyleClasses). It works a group at a time, so the generator's
// document is not held a second time; the shorter result is held until the end, when the style
// sheet of all its classes is known.
class SvgPictureFilter final : public QIODevice {
public:
    // Open for writing.
    explicit SvgPictureFilter(QIODevice& target);

    // Takes the marks drawn and draws the definitions of their pictures; before the generator
    // writes the document (when its painter ends).
    void setMarks(const QString& prefix, const QList<PictureMarks::Mark>& marks);
    // Hands on the rest of the document; false when a write to the target failed.
    bool finish();

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    void pass(QByteArray piece);

    QIODevice& m_target;
    QByteArray m_pending;     // the bytes after the last whole group
    QByteArray m_out;         // passed, handed on at the end
    SvgStyleClasses m_styles;
    QByteArray m_markPrefix;  // '>' and the marks' prefix: where a mark's text starts
    QByteArray m_definitions; // for `<defs>`, until written
    QList<PictureMarks::Mark> m_marks;
    QList<int> m_markDefinitions; // the definition of each mark
    bool m_failed = false;
};

} // namespace korvel

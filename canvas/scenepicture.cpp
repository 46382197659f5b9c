#include "canvas/scenepicture.h"

#include "canvas/designericons.h"
#include "canvas/picturemarks.h"
#include "canvas/pngrowwriter.h"

#include <QBuffer>
#include <QGraphicsScene>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <algorithm>
#include <cctype>

namespace korvel {
namespace {

constexpr qint64 PngBandBytes = qint64(16) << 20;
// Rows drawn above and below each band and not written: antialiased edges cut by the band's clip
// come out a few levels off the whole picture's, so the cut is kept out of the rows written.
constexpr int PngBandOverlap = 4;

// The definition of the picture `key` drawn into a `size` box at the origin: what the generator
// writes between the document's `<defs>` and its end.
QByteArray PictureDefinition(const QString& key, const QSizeF& size)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size.toSize());
        svg.setViewBox(QRectF(QPointF(0, 0), size));
        QPainter painter(&svg);
        PaintDesignerPicture(painter, key, QRectF(QPointF(0, 0), size));
    }
    const QByteArray& all = buffer.data();
    const QByteArray defsEnd = "</defs>\n";
    const qsizetype from = all.indexOf(defsEnd);
    const qsizetype to = all.lastIndexOf("</svg>");
    if (from < 0 || to < from)
        return {};
    return all.mid(from + defsEnd.size(), to - from - defsEnd.size());
}

// The generator's document with each mark's `<text>` element replaced by a `<use>` of its
// picture's definition, the definitions added to `<defs>`. The mark stands where the picture was
// drawn, inside the group that holds the painter's transform then, so the reference is placed in
// the same coordinates as the picture was.
QByteArray UsePictureDefinitions(const QByteArray& document, const QString& markPrefix,
                                 const QList<PictureMarks::Mark>& marks)
{
    QHash<QString, int> ids; // picture and size -> definition number
    QList<int> markIds;
    QByteArray definitions;
    for (const PictureMarks::Mark& mark : marks) {
        const QString identity = mark.key + u' ' + QString::number(mark.target.width()) + u' ' +
                                 QString::number(mark.target.height());
        auto found = ids.constFind(identity);
        if (found == ids.cend()) {
            found = ids.insert(identity, static_cast<int>(ids.size()));
            definitions += "<g id=\"korvel-picture-" + QByteArray::number(*found) + "\">\n" +
                           PictureDefinition(mark.key, mark.target.size()) + "</g>\n";
        }
        markIds.append(*found);
    }

    QByteArray result;
    result.reserve(document.size() + definitions.size());
    const QByteArray defs = "<defs>\n";
    const QByteArray prefix = '>' + markPrefix.toUtf8();
    const QByteArray textEnd = "</text>";
    qsizetype copied = 0;
    const qsizetype defsAt = document.indexOf(defs);
    if (defsAt >= 0) {
        copied = defsAt + defs.size();
        result += document.left(copied) + definitions;
    }
    for (qsizetype at = document.indexOf(prefix, copied); at >= 0; at = document.indexOf(prefix, copied)) {
        const qsizetype textAt = document.lastIndexOf("<text", at);
        const qsizetype endAt = document.indexOf(textEnd, at);
        bool number = false;
        const qsizetype index =
            document.mid(at + prefix.size(), endAt - at - prefix.size()).toLongLong(&number);
        if (textAt < copied || endAt < 0 || !number || index < 0 || index >= marks.size())
            break;
        const QRectF& target = marks.at(index).target;
        result += document.mid(copied, textAt - copied) + "<use xlink:href=\"#korvel-picture-" +
                  QByteArray::number(markIds.at(index)) + "\" x=\"" + QByteArray::number(target.x(), 'g', 6) +
                  "\" y=\"" + QByteArray::number(target.y(), 'g', 6) + "\"/>";
        copied = endAt + textEnd.size();
    }
    result += document.mid(copied);
    return result;
}

// The generator's document without what draws nothing: it opens a group for every change of the
// painter's state, also when nothing is drawn before the next, and writes the font of the state
// and opacities of 1 on each group. Texts carry their own font, and no group sets another
// opacity, so those attributes can go. Quotes are escaped in texts, so the attributes are found
// in tags only.
QByteArray LeaveOutWhatDrawsNothing(const QByteArray& document)
{
    QByteArray result;
    result.reserve(document.size());
    const QByteArray groupStart = "<g ", groupEnd = "</g>", font = "\nfont-family=\"";
    qsizetype copied = 0;
    for (qsizetype at = document.indexOf(groupStart); at >= 0; at = document.indexOf(groupStart, copied)) {
        const qsizetype tagEnd = document.indexOf('>', at);
        if (tagEnd < 0)
            break;
        qsizetype next = tagEnd + 1;
        while (next < document.size() && std::isspace(static_cast<unsigned char>(document.at(next))))
            ++next;
        result += document.mid(copied, at - copied);
        if (document.mid(next, groupEnd.size()) == groupEnd) {
            copied = next + groupEnd.size();
            while (copied < document.size() && document.at(copied) == '\n')
                ++copied;
            continue;
        }
        const qsizetype fontAt = document.indexOf(font, at);
        result += document.mid(at, (fontAt >= 0 && fontAt < tagEnd ? fontAt : tagEnd) - at) + '>';
        copied = tagEnd + 1;
    }
    result += document.mid(copied);
    for (const char* unneeded : {" fill-opacity=\"1\"", " stroke-opacity=\"1\"", " vector-effect=\"none\""})
        result.replace(unneeded, "");
    return result;
}

} // namespace

int PngBandRows(int width)
{
    return static_cast<int>(std::max<qint64>(1, PngBandBytes / (qint64(std::max(width, 1)) * 4)));
}

bool WriteScenePng(QGraphicsScene& scene, const QRectF& source, QSize size, QIODevice& device, int bandRows)
{
    bandRows = std::clamp(bandRows, 1, std::max(size.height(), 1));
    QImage band(size.width(), bandRows + 2 * PngBandOverlap, QImage::Format_ARGB32_Premultiplied);
    if (band.isNull())
        return false;
    PngRowWriter png(device, size);
    // The scale of the whole picture; each band shows the part of `source` that falls on its rows.
    const double ratio = std::min(size.width() / source.width(), size.height() / source.height());
    for (int top = 0; top < size.height() && png.ok(); top += bandRows) {
        const int rows = std::min(bandRows, size.height() - top);
        const int drawnTop = top - PngBandOverlap, drawnRows = rows + 2 * PngBandOverlap;
        band.fill(Qt::white);
        QPainter painter(&band);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.translate(0, -drawnTop);
        const QRectF part(source.left(), source.top() + drawnTop / ratio, size.width() / ratio, drawnRows / ratio);
        scene.render(&painter, QRectF(0, drawnTop, size.width(), drawnRows), part, Qt::IgnoreAspectRatio);
        painter.end();
        png.writeRows(band, PngBandOverlap, rows);
    }
    return png.finish();
}

bool WriteSceneSvg(QGraphicsScene& scene, const QRectF& source, QSize size, const QString& title,
                   QIODevice& device)
{
    QBuffer drawn;
    drawn.open(QIODevice::WriteOnly);
    QString markPrefix;
    QList<PictureMarks::Mark> marks;
    {
        // The definitions are drawn once the marks are gone.
        const PictureMarks marking;
        QSvgGenerator svg;
        svg.setOutputDevice(&drawn);
        svg.setSize(size);
        svg.setViewBox(QRectF(QPointF(0, 0), QSizeF(size)));
        svg.setTitle(title);
        QPainter painter;
        if (!painter.begin(&svg))
            return false;
        scene.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)), source);
        if (!painter.end())
            return false;
        markPrefix = marking.prefix();
        marks = marking.marks();
    }
    const QByteArray document = LeaveOutWhatDrawsNothing(UsePictureDefinitions(drawn.data(), markPrefix, marks));
    return device.write(document) == document.size();
}

} // namespace korvel

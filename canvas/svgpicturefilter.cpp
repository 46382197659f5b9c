#include "canvas/svgpicturefilter.h"

#include "canvas/designericons.h"

#include <QBuffer>
#include <QHash>
#include <QPainter>
#include <QSvgGenerator>
#include <algorithm>
#include <cctype>

namespace korvel {
namespace {

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

SvgPictureFilter::SvgPictureFilter(QIODevice& target) : m_target(target)
{
    open(QIODevice::WriteOnly);
}

void SvgPictureFilter::setMarks(const QString& prefix, const QList<PictureMarks::Mark>& marks)
{
    m_markPrefix = '>' + prefix.toUtf8();
    m_marks = marks;
    QHash<QString, int> definitions; // picture and size -> definition number
    for (const PictureMarks::Mark& mark : marks) {
        const QString identity = mark.key + u' ' + QString::number(mark.target.width()) + u' ' +
                                 QString::number(mark.target.height());
        auto found = definitions.constFind(identity);
        if (found == definitions.cend()) {
            found = definitions.insert(identity, static_cast<int>(definitions.size()));
            m_definitions += "<g id=\"korvel-picture-" + QByteArray::number(*found) + "\">\n" +
                             PictureDefinition(mark.key, mark.target.size()) + "</g>\n";
        }
        m_markDefinitions.append(*found);
    }
}

qint64 SvgPictureFilter::readData(char* /*data*/, qint64 /*maxSize*/)
{
    return -1;
}

qint64 SvgPictureFilter::writeData(const char* data, qint64 size)
{
    // The generator writes its document at once: it is passed on a group at a time, so that no
    // second copy of it is made.
    const QByteArray incoming = QByteArray::fromRawData(data, size);
    const QByteArray groupEnd = "</g>\n";
    qsizetype from = 0;
    for (qsizetype at = incoming.indexOf(groupEnd); at >= 0; at = incoming.indexOf(groupEnd, from)) {
        m_pending.append(incoming.constData() + from, at + groupEnd.size() - from);
        pass(std::exchange(m_pending, {}));
        from = at + groupEnd.size();
    }
    m_pending.append(incoming.constData() + from, size - from);
    return m_failed ? -1 : size;
}

bool SvgPictureFilter::finish()
{
    pass(std::exchange(m_pending, {}));
    // The style sheet goes before the definitions, ahead of every use of its classes.
    const qsizetype at = std::max<qsizetype>(0, m_out.indexOf("<defs>\n"));
    const QByteArray style = m_styles.styleElement();
    QByteArray head = m_out.first(at);
    // The generator names SVG Tiny, which has no style sheets.
    if (!style.isEmpty())
        head.replace(" version=\"1.2\" baseProfile=\"tiny\"", " version=\"1.1\"");
    const QByteArrayView out(m_out);
    for (const QByteArrayView part : {QByteArrayView(head), QByteArrayView(style), out.sliced(at)})
        if (!m_failed && m_target.write(part.data(), part.size()) != part.size())
            m_failed = true;
    m_out.clear();
    return !m_failed;
}

void SvgPictureFilter::pass(QByteArray piece)
{
    if (!m_definitions.isEmpty()) {
        const QByteArray defs = "<defs>\n";
        if (const qsizetype at = piece.indexOf(defs); at >= 0)
            piece.insert(at + defs.size(), std::exchange(m_definitions, {}));
    }
    // A mark stands where its picture was drawn, inside the group that holds the painter's
    // transform then, so the reference is placed in the coordinates the picture was drawn in.
    const QByteArray textEnd = "</text>";
    QByteArray result;
    qsizetype copied = 0;
    for (qsizetype at = m_markPrefix.isEmpty() ? -1 : piece.indexOf(m_markPrefix); at >= 0;
         at = piece.indexOf(m_markPrefix, copied)) {
        const qsizetype textAt = piece.lastIndexOf("<text", at);
        const qsizetype endAt = piece.indexOf(textEnd, at);
        bool number = false;
        const qsizetype index =
            piece.mid(at + m_markPrefix.size(), endAt - at - m_markPrefix.size()).toLongLong(&number);
        if (textAt < copied || endAt < 0 || !number || index < 0 || index >= m_marks.size())
            break;
        const QRectF& target = m_marks.at(index).target;
        result += piece.mid(copied, textAt - copied) + "<use xlink:href=\"#korvel-picture-" +
                  QByteArray::number(m_markDefinitions.at(index)) + "\" x=\"" +
                  QByteArray::number(target.x(), 'g', 6) + "\" y=\"" + QByteArray::number(target.y(), 'g', 6) +
                  "\"/>";
        copied = endAt + textEnd.size();
    }
    result += piece.mid(copied);
    m_styles.append(LeaveOutWhatDrawsNothing(result), m_out);
}

} // namespace korvel

#include "canvas/svgstyleclasses.h"

#include "canvas/svgpathdata.h"

#include <QList>
#include <algorithm>
#include <cctype>

namespace korvel {
namespace {

struct Attribute {
    QByteArray name;
    QByteArray value;
};

const QByteArray GroupEnd = "</g>\n";

bool IsSpace(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// The state the generator writes that every element inherits, so that it may be given to the
// elements instead of their group (not opacity: a group's is not its elements').
bool Inherited(const QByteArray& name)
{
    static const QList<QByteArray> names{
        "fill",           "fill-rule",       "fill-opacity",      "stroke",           "stroke-width",
        "stroke-linecap", "stroke-linejoin", "stroke-miterlimit", "stroke-dasharray", "stroke-dashoffset",
        "stroke-opacity", "font-family",     "font-size",         "font-weight",      "font-style"};
    return names.contains(name);
}

// Reads `name="value"` pairs apart by white space; false when `text` holds anything else.
bool ReadAttributes(const QByteArray& text, QList<Attribute>& into)
{
    qsizetype at = 0;
    for (;;) {
        while (at < text.size() && IsSpace(text.at(at)))
            ++at;
        if (at == text.size())
            return true;
        const qsizetype equals = text.indexOf("=\"", at);
        const qsizetype end = equals < 0 ? -1 : text.indexOf('"', equals + 2);
        if (end < 0)
            return false;
        into.append({text.mid(at, equals - at), text.mid(equals + 2, end - equals - 2)});
        if (into.last().name.isEmpty() ||
            std::any_of(into.last().name.cbegin(), into.last().name.cend(), IsSpace))
            return false;
        at = end + 1;
    }
}

// The declaration of one inherited attribute; false when its value would need quoting in CSS.
bool AddDeclaration(const Attribute& attribute, QByteArray& style)
{
    for (const char c : {'\'', '"', '\\', ';', '{', '}', '<', '&'})
        if (attribute.value.contains(c))
            return false;
    if (!style.isEmpty())
        style += ';';
    style += attribute.name + ':';
    if (attribute.name == "font-family") {
        style += '\'' + attribute.value + '\'';
        return true;
    }
    style += attribute.value;
    // In a style sheet a length needs its unit (the attributes may leave it out).
    if (attribute.name == "font-size" || attribute.name == "stroke-width" ||
        attribute.name == "stroke-dashoffset") {
        bool number = false;
        attribute.value.toDouble(&number);
        if (number)
            style += "px";
    }
    return true;
}

// The generator writes a move alone as a whole matrix.
QByteArray ShortTransform(const QByteArray& transform)
{
    const QByteArray moveOnly = "matrix(1,0,0,1,";
    return transform.startsWith(moveOnly) ? "translate(" + transform.mid(moveOnly.size()) : transform;
}

} // namespace

void SvgStyleClasses::append(const QByteArray& piece, QByteArray& out)
{
    // White space between groups shows nothing.
    if (piece.trimmed().isEmpty())
        return;
    const qsizetype open = piece.lastIndexOf("<g ");
    const qsizetype tagEnd = open < 0 ? -1 : piece.indexOf('>', open);
    const auto keep = [&] {
        out += piece;
        m_lastEnd = -1;
    };
    QList<Attribute> group;
    if (tagEnd < 0 || !piece.endsWith(GroupEnd) ||
        !ReadAttributes(piece.mid(open + 3, tagEnd - open - 3), group))
        return keep();
    QByteArray transform;
    QList<Attribute> state;
    for (Attribute& attribute : group) {
        if (attribute.name == "transform" && transform.isEmpty())
            transform = ShortTransform(attribute.value);
        else if (Inherited(attribute.name))
            state.append(std::move(attribute));
        else
            return keep();
    }

    // Each element of the group, with its class instead of the state.
    QByteArray elements;
    const QByteArray body = piece.mid(tagEnd + 1, piece.size() - GroupEnd.size() - tagEnd - 1);
    for (qsizetype at = 0;;) {
        while (at < body.size() && IsSpace(body.at(at)))
            ++at;
        if (at == body.size())
            break;
        qsizetype nameEnd = at + 1;
        while (nameEnd < body.size() && std::isalpha(static_cast<unsigned char>(body.at(nameEnd))))
            ++nameEnd;
        const QByteArray name = body.mid(at + 1, nameEnd - at - 1);
        const qsizetype elementTagEnd = body.indexOf('>', nameEnd);
        QList<Attribute> attributes;
        if (body.at(at) != '<' || name.isEmpty() || name == "g" || elementTagEnd < 0)
            return keep();
        const bool empty = body.at(elementTagEnd - 1) == '/';
        qsizetype end = elementTagEnd + 1;
        if (!empty) {
            const QByteArray close = "</" + name + '>';
            const qsizetype closeAt = body.indexOf(close, end);
            if (closeAt < 0 || body.mid(end, closeAt - end).contains('<'))
                return keep();
            end = closeAt + close.size();
        }
        if (!ReadAttributes(body.mid(nameEnd, elementTagEnd - (empty ? 1 : 0) - nameEnd), attributes))
            return keep();
        // The element's own state over its group's.
        QList<Attribute> own = state;
        QByteArray kept;
        for (const Attribute& attribute : attributes) {
            if (!Inherited(attribute.name)) {
                kept += ' ' + attribute.name + "=\"" +
                        (name == "path" && attribute.name == "d" ? RelativePathData(attribute.value)
                                                                 : attribute.value) +
                        '"';
                continue;
            }
            const auto same = std::find_if(own.begin(), own.end(),
                                           [&](const Attribute& a) { return a.name == attribute.name; });
            if (same != own.end())
                same->value = attribute.value;
            else
                own.append(attribute);
        }
        QByteArray style;
        for (const Attribute& attribute : own)
            if (!AddDeclaration(attribute, style))
                return keep();
        elements += '<' + name;
        if (!style.isEmpty())
            elements += " class=\"" + classOf(style) + '"';
        elements += kept + (empty ? QByteArray("/>") : body.mid(elementTagEnd, end - elementTagEnd)) + '\n';
        at = end;
    }

    if (const QByteArray before = piece.left(open); !before.trimmed().isEmpty()) {
        out += before;
        m_lastEnd = -1;
    }
    if (transform.isEmpty()) {
        out += elements;
        m_lastEnd = -1;
        return;
    }
    if (m_lastEnd == out.size() && m_lastTransform == transform)
        out.chop(GroupEnd.size());
    else
        out += "<g transform=\"" + transform + "\">\n";
    out += elements + GroupEnd;
    m_lastTransform = transform;
    m_lastEnd = out.size();
}

QByteArray SvgStyleClasses::styleElement() const
{
    return m_rules.isEmpty() ? QByteArray() : "<style type=\"text/css\">\n" + m_rules + "</style>\n";
}

QByteArray SvgStyleClasses::classOf(const QByteArray& style)
{
    auto found = m_classes.constFind(style);
    if (found == m_classes.cend()) {
        found = m_classes.insert(style, 's' + QByteArray::number(m_classes.size()));
        m_rules += '.' + *found + '{' + style + "}\n";
    }
    return *found;
}

} // namespace korvel

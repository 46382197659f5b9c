#pragma once

#include <QByteArray>
#include <QHash>

namespace korvel {

// Moves the painter state that QSvgGenerator writes on every group (fill, stroke, widths, caps,
// fonts) into classes of one style sheet: each element of a group gets the class of its own state
// (the group's with the element's own attributes over it), the group keeps only its transform, and
// adjacent groups of the same transform become one. A group it cannot read, or with an attribute
// that does not simply pass to its elements, is kept as written.
class SvgStyleClasses final {
public:
    // Appends `piece` to `out`: text that ends by closing a group, the last group opened in it
    // rewritten as above.
    void append(const QByteArray& piece, QByteArray& out);
    // The `<style>` element that defines every class used; it must come before the first use.
    QByteArray styleElement() const;

private:
    // The class of the declarations `style`, made when new.
    QByteArray classOf(const QByteArray& style);

    QHash<QByteArray, QByteArray> m_classes; // declarations -> class
    QByteArray m_rules;
    QByteArray m_lastTransform; // of the group `out` ends with, if m_lastEnd is out's size
    qsizetype m_lastEnd = -1;
};

} // namespace korvel

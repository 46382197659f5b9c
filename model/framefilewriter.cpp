#include "model/framefilewriter.h"

#include <QStringView>
#include <algorithm>
#include <charconv>
#include <vector>

namespace korvel {
namespace {

char HexDigit(unsigned value)
{
    return static_cast<char>(value < 10 ? '0' + value : 'a' + value - 10);
}

// A row's columns in the order of their names, as an object keeps its members.
template <typename Row>
std::vector<const FrameColumn<Row>*> SortedColumns(std::span<const FrameColumn<Row>> columns)
{
    std::vector<const FrameColumn<Row>*> sorted;
    for (const FrameColumn<Row>& column : columns)
        sorted.push_back(&column);
    std::sort(sorted.begin(), sorted.end(), [](auto* a, auto* b) { return qstrcmp(a->name, b->name) < 0; });
    return sorted;
}

class Writer final {
public:
    Writer(bool compact, const std::function<void(QByteArrayView)>& sink) : m_compact(compact), m_sink(sink) {}
    // Hands what was written to the sink once there is enough of it (all of it at the end).
    void Flush(bool all = false)
    {
        if (m_sink && (all || m_out.size() >= PieceBytes)) {
            m_sink(m_out);
            m_out.resize(0);
        }
    }
    static constexpr qsizetype PieceBytes = 64 * 1024;
    QByteArray& Out() { return m_out; }

    // "{" or "[" and the level within it.
    void Open(char bracket)
    {
        m_out += bracket;
        if (!m_compact)
            m_out += '\n';
        ++m_level;
    }
    // Its end; an empty one has nothing between.
    void Close(char bracket)
    {
        --m_level;
        Pad();
        m_out += bracket;
    }
    // What follows a member or an element: a comma, or at the last one the end of its line.
    void After(bool last)
    {
        if (!last)
            m_out += m_compact ? "," : ",\n";
        else if (!m_compact)
            m_out += '\n';
    }
    void Pad()
    {
        if (!m_compact)
            m_out.append(4 * m_level, ' ');
    }
    void Key(QLatin1StringView name)
    {
        Pad();
        m_out += '"';
        m_out += name;
        m_out += m_compact ? "\":" : "\": ";
    }
    void Number(qint64 number)
    {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
        m_out.append(digits, end - digits);
    }
    // A text as Qt escapes it: the two-character escapes, \u00XX for other control characters, a
    // lone surrogate as \uXXXX, and everything else as UTF-8. Written through a pointer into room
    // made for the worst case (six bytes a character), which is given back at the end.
    void Text(QStringView text)
    {
        const qsizetype start = m_out.size();
        m_out.resize(start + 2 + 6 * text.size());
        char* out = m_out.data() + start;
        *out++ = '"';
        const char16_t* c = text.utf16();
        const char16_t* const end = c + text.size();
        while (c != end) {
            const char16_t u = *c++;
            if (u < 0x80) {
                if (u >= 0x20 && u != u'"' && u != u'\\') {
                    *out++ = static_cast<char>(u);
                    continue;
                }
                *out++ = '\\';
                switch (u) {
                case u'"': *out++ = '"'; break;
                case u'\\': *out++ = '\\'; break;
                case u'\b': *out++ = 'b'; break;
                case u'\f': *out++ = 'f'; break;
                case u'\n': *out++ = 'n'; break;
                case u'\r': *out++ = 'r'; break;
                case u'\t': *out++ = 't'; break;
                default:
                    *out++ = 'u';
                    *out++ = '0';
                    *out++ = '0';
                    *out++ = HexDigit(u >> 4);
                    *out++ = HexDigit(u & 0xf);
                }
            } else if (u < 0x800) {
                *out++ = static_cast<char>(0xc0 | (u >> 6));
                *out++ = static_cast<char>(0x80 | (u & 0x3f));
            } else if (QChar::isHighSurrogate(u) && c != end && QChar::isLowSurrogate(*c)) {
                const char32_t code = QChar::surrogateToUcs4(u, *c++);
                *out++ = static_cast<char>(0xf0 | (code >> 18));
                *out++ = static_cast<char>(0x80 | ((code >> 12) & 0x3f));
                *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3f));
                *out++ = static_cast<char>(0x80 | (code & 0x3f));
            } else if (QChar::isSurrogate(u)) {
                *out++ = '\\';
                *out++ = 'u';
                for (int shift = 12; shift >= 0; shift -= 4)
                    *out++ = HexDigit((u >> shift) & 0xf);
            } else {
                *out++ = static_cast<char>(0xe0 | (u >> 12));
                *out++ = static_cast<char>(0x80 | ((u >> 6) & 0x3f));
                *out++ = static_cast<char>(0x80 | (u & 0x3f));
            }
        }
        *out++ = '"';
        m_out.resize(out - m_out.constData());
    }
    template <typename Row>
    void Value(const Row& row, const FrameColumn<Row>& column)
    {
        if (column.text)
            Text(row.*(column.text));
        else
            Number(row.*(column.number));
    }
    template <typename Row>
    void Object(const Row& row, const std::vector<const FrameColumn<Row>*>& columns)
    {
        Open('{');
        for (size_t i = 0; i < columns.size(); ++i) {
            Key(QLatin1StringView(columns[i]->name));
            Value(row, *columns[i]);
            After(i + 1 == columns.size());
        }
        Close('}');
    }
    // An array of the rows, in the order `less` gives.
    template <typename Row, typename Less>
    void Rows(const QList<Row>& rows, const std::vector<const FrameColumn<Row>*>& columns, Less less)
    {
        std::vector<const Row*> ordered;
        ordered.reserve(static_cast<size_t>(rows.size()));
        for (const Row& row : rows)
            ordered.push_back(&row);
        std::sort(ordered.begin(), ordered.end(), [&](const Row* a, const Row* b) { return less(*a, *b); });
        Open('[');
        for (size_t i = 0; i < ordered.size(); ++i) {
            Pad();
            Object(*ordered[i], columns);
            After(i + 1 == ordered.size());
            Flush();
        }
        Close(']');
    }

    void Header(const FrameRecord& frame)
    {
        // The header's and the audit's columns in one object, in the order of their names.
        struct Member {
            const char* name;
            const QString* text;
            qint32 number;
        };
        std::vector<Member> members;
        for (const auto& column : HeaderColumns())
            members.push_back({column.name, column.text ? &(frame.header.*(column.text)) : nullptr,
                               column.number ? frame.header.*(column.number) : 0});
        for (const auto& column : AuditColumns())
            members.push_back({column.name, &(frame.audit.*(column.text)), 0});
        std::sort(members.begin(), members.end(), [](const Member& a, const Member& b) {
            return qstrcmp(a.name, b.name) < 0;
        });
        Open('{');
        for (size_t i = 0; i < members.size(); ++i) {
            Key(QLatin1StringView(members[i].name));
            if (members[i].text)
                Text(*members[i].text);
            else
                Number(members[i].number);
            After(i + 1 == members.size());
        }
        Close('}');
    }

private:
    QByteArray m_out;
    bool m_compact;
    const std::function<void(QByteArrayView)>& m_sink;
    int m_level = 0;
};

} // namespace

QByteArray WriteFrameFileText(const QList<const FrameRecord*>& frames, const std::map<QString, std::set<QString>>& lookups,
                              bool compact, const std::function<void(QByteArrayView)>& sink)
{
    static const auto stepColumns = SortedColumns(StepColumns());
    static const auto linkColumns = SortedColumns(LinkColumns());
    Writer w(compact, sink);
    qsizetype rows = 0;
    for (const FrameRecord* frame : frames)
        rows += frame->steps.size() + frame->links.size();
    w.Out().reserve(sink ? 2 * Writer::PieceBytes : 1024 + rows * (compact ? 700 : 1100));

    w.Open('{');
    w.Key(QLatin1StringView("format"));
    w.Text(FrameFileFormat);
    w.After(false);
    w.Key(QLatin1StringView("frames"));
    w.Open('[');
    for (qsizetype f = 0; f < frames.size(); ++f) {
        const FrameRecord& frame = *frames.at(f);
        w.Pad();
        w.Open('{');
        w.Key(QLatin1StringView("header"));
        w.Header(frame);
        w.After(false);
        w.Key(QLatin1StringView("links"));
        w.Rows(frame.links, linkColumns,
               [](const LinkValues& a, const LinkValues& b) { return a.WorkOrderLink_ID < b.WorkOrderLink_ID; });
        w.After(false);
        w.Key(QLatin1StringView("steps"));
        w.Rows(frame.steps, stepColumns,
               [](const NodeValues& a, const NodeValues& b) { return a.WorkOrderNode_ID < b.WorkOrderNode_ID; });
        w.After(true);
        w.Close('}');
        w.After(f + 1 == frames.size());
    }
    w.Close(']');
    w.After(false);
    w.Key(QLatin1StringView("lookups"));
    w.Open('{');
    std::size_t table = 0;
    for (const auto& [name, keys] : lookups) {
        w.Key(QLatin1StringView(name.toLatin1()));
        w.Open('[');
        std::size_t k = 0;
        for (const QString& key : keys) {
            w.Pad();
            w.Text(key);
            w.After(++k == keys.size());
        }
        w.Close(']');
        w.After(++table == lookups.size());
    }
    w.Close('}');
    w.After(false);
    w.Key(QLatin1StringView("version"));
    w.Number(FrameFileVersion);
    w.After(true);
    w.Close('}');
    if (!compact)
        w.Out() += '\n';
    w.Flush(true);
    return std::move(w.Out());
}

} // namespace korvel

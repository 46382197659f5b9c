#include "model/strictjson.h"

#include "model/flowcheck.h"

#include <QJsonArray>
#include <QJsonObject>
#include <algorithm>
#include <charconv>
#include <string_view>
#include <vector>

namespace korvel {
namespace {

// String-table ids of the reasons.
enum : qint32 {
    MsgExpected = 1940,
    MsgEndOfText = 1941,
    MsgAValue = 1942,
    MsgAName = 1943,
    MsgCommaOrBrace = 1944,
    MsgCommaOrBracket = 1945,
    MsgColon = 1946,
    MsgNameTwice = 1947,
    MsgBadEscape = 1948,
    MsgControlCharacter = 1949,
    MsgLoneSurrogate = 1950,
    MsgNotUtf8 = 1951,
    MsgTooDeep = 1952,
    MsgBadNumber = 1953,
    MsgInexactNumber = 1954,
};

// Thrown inside the reader to leave every level at once.
struct Refused {
    qsizetype offset;
    QString reason;
};

QString Hex(char32_t code, int width)
{
    return QStringLiteral("%1").arg(static_cast<uint>(code), width, 16, QLatin1Char('0')).toUpper();
}

// A number's decimal digits without leading and trailing zeros, and the power of ten of the first:
// "1.50e2" and "150" both give ("15", 2). Zero gives ("0", 0) whatever its exponent.
struct Decimal {
    bool negative = false;
    std::string digits;
    qint64 exponent = 0;
    bool operator==(const Decimal&) const = default;
};

Decimal Normalised(std::string_view number)
{
    Decimal result;
    if (!number.empty() && number.front() == '-') {
        result.negative = true;
        number.remove_prefix(1);
    }
    const size_t e = number.find_first_of("eE");
    qint64 exponent = 0;
    if (e != std::string_view::npos) {
        std::string_view written = number.substr(e + 1);
        const bool down = !written.empty() && written.front() == '-';
        if (!written.empty() && (written.front() == '-' || written.front() == '+'))
            written.remove_prefix(1);
        for (char c : written)
            exponent = std::min<qint64>(exponent * 10 + (c - '0'), qint64(1) << 40); // saturates
        if (down)
            exponent = -exponent;
        number = number.substr(0, e);
    }
    const size_t point = number.find('.');
    qint64 integerDigits = static_cast<qint64>(point == std::string_view::npos ? number.size() : point);
    for (char c : number)
        if (c != '.')
            result.digits.push_back(c);
    const size_t first = result.digits.find_first_not_of('0');
    if (first == std::string::npos)
        return {result.negative, "0", 0};
    result.digits.erase(0, first);
    integerDigits -= static_cast<qint64>(first);
    result.digits.erase(result.digits.find_last_not_of('0') + 1);
    result.exponent = exponent + integerDigits - 1;
    return result;
}

class Reader final {
public:
    explicit Reader(const QByteArray& text) : m_text(text), m_end(text.size()) {}

    QJsonValue Document()
    {
        if (m_text.startsWith("\xEF\xBB\xBF"))
            m_at = 3;
        SkipBlanks();
        QJsonValue value = Value(0);
        SkipBlanks();
        if (m_at != m_end)
            Expected(LoadMessage(MsgEndOfText));
        return value;
    }

private:
    static QString LoadMessage(qint32 id) { return FormatMessage(id, {}); }

    [[noreturn]] void Refuse(qint32 id, const QStringList& arguments, qsizetype offset = -1) const
    {
        throw Refused{offset < 0 ? m_at : offset, FormatMessage(id, arguments)};
    }

    // What stands at the current place, for "expected ..., found ...".
    [[noreturn]] void Expected(const QString& what)
    {
        QString found;
        if (m_at >= m_end)
            found = LoadMessage(MsgEndOfText);
        else if (const char c = m_text.at(m_at); c > 0x20 && c < 0x7F)
            found = QStringLiteral("\"%1\"").arg(QLatin1Char(c));
        else {
            const qsizetype at = m_at;
            found = QStringLiteral("U+") + Hex(NextCharacter(), 4);
            m_at = at;
        }
        Refuse(MsgExpected, {what, found});
    }

    void SkipBlanks()
    {
        while (m_at < m_end) {
            const char c = m_text.at(m_at);
            if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
                return;
            ++m_at;
        }
    }

    QJsonValue Value(int depth)
    {
        if (m_at >= m_end)
            Expected(LoadMessage(MsgAValue));
        switch (m_text.at(m_at)) {
        case '{':
            return Object(depth + 1);
        case '[':
            return Array(depth + 1);
        case '"':
            return Text();
        case 't':
            return Word("true", QJsonValue(true));
        case 'f':
            return Word("false", QJsonValue(false));
        case 'n':
            return Word("null", QJsonValue(QJsonValue::Null));
        default:
            if (m_text.at(m_at) == '-' || (m_text.at(m_at) >= '0' && m_text.at(m_at) <= '9'))
                return Number();
            Expected(LoadMessage(MsgAValue));
        }
    }

    QJsonValue Word(const char* word, const QJsonValue& value)
    {
        const qsizetype length = static_cast<qsizetype>(qstrlen(word));
        if (m_text.mid(m_at, length) != QByteArrayView(word, length))
            Expected(LoadMessage(MsgAValue));
        m_at += length;
        return value;
    }

    void Enter(int depth) const
    {
        if (depth > StrictJson::MaxDepth)
            Refuse(MsgTooDeep, {QString::number(StrictJson::MaxDepth)});
    }

    QJsonValue Object(int depth)
    {
        Enter(depth);
        ++m_at;
        struct Member {
            QString name;
            qsizetype offset;
            QJsonValue value;
        };
        std::vector<Member> members;
        SkipBlanks();
        if (m_at < m_end && m_text.at(m_at) == '}') {
            ++m_at;
            return QJsonObject();
        }
        for (;;) {
            if (m_at >= m_end || m_text.at(m_at) != '"')
                Expected(LoadMessage(MsgAName));
            const qsizetype offset = m_at;
            QString name = Text();
            SkipBlanks();
            if (m_at >= m_end || m_text.at(m_at) != ':')
                Expected(LoadMessage(MsgColon));
            ++m_at;
            SkipBlanks();
            members.push_back({std::move(name), offset, Value(depth)});
            if (!MoreBefore('}', MsgCommaOrBrace))
                break;
        }
        ++m_at;
        // Sorted by name, so that a repeated name lies next to its first use and the object is
        // built by appending: a hostile object of millions of members costs n log n, not n².
        std::stable_sort(members.begin(), members.end(),
                         [](const Member& a, const Member& b) { return a.name < b.name; });
        const Member* repeated = nullptr;
        for (size_t i = 1; i < members.size(); ++i)
            if (members[i].name == members[i - 1].name && (!repeated || members[i].offset < repeated->offset))
                repeated = &members[i];
        if (repeated)
            Refuse(MsgNameTwice, {repeated->name}, repeated->offset);
        QJsonObject object;
        for (Member& member : members)
            object.insert(member.name, std::move(member.value));
        return object;
    }

    // After a member or an element: true at a comma (passed, another follows), false at `close`.
    bool MoreBefore(char close, qint32 message)
    {
        SkipBlanks();
        if (m_at < m_end && m_text.at(m_at) == ',') {
            ++m_at;
            SkipBlanks();
            return true;
        }
        if (m_at < m_end && m_text.at(m_at) == close)
            return false;
        Expected(LoadMessage(message));
    }

    QJsonValue Array(int depth)
    {
        Enter(depth);
        ++m_at;
        QJsonArray array;
        SkipBlanks();
        if (m_at < m_end && m_text.at(m_at) == ']') {
            ++m_at;
            return array;
        }
        for (;;) {
            array.append(Value(depth));
            if (!MoreBefore(']', MsgCommaOrBracket))
                break;
        }
        ++m_at;
        return array;
    }

    // One character of UTF-8 at the current place, which moves past it. Refuses every byte sequence
    // that is not the shortest form of a scalar value.
    char32_t NextCharacter()
    {
        const qsizetype start = m_at;
        const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(m_text.at(i)); };
        const unsigned char lead = byte(m_at);
        int length = 0;
        char32_t code = 0, minimum = 0;
        if (lead < 0x80)
            length = 1, code = lead;
        else if (lead >= 0xC2 && lead <= 0xDF)
            length = 2, code = lead & 0x1F, minimum = 0x80;
        else if (lead >= 0xE0 && lead <= 0xEF)
            length = 3, code = lead & 0x0F, minimum = 0x800;
        else if (lead >= 0xF0 && lead <= 0xF4)
            length = 4, code = lead & 0x07, minimum = 0x10000;
        else
            Refuse(MsgNotUtf8, {QStringLiteral("0x") + Hex(lead, 2)});
        for (int i = 1; i < length; ++i) {
            if (start + i >= m_end || (byte(start + i) & 0xC0) != 0x80)
                Refuse(MsgNotUtf8, {QStringLiteral("0x") + Hex(lead, 2)});
            code = (code << 6) | (byte(start + i) & 0x3F);
        }
        if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            Refuse(MsgNotUtf8, {QStringLiteral("0x") + Hex(lead, 2)});
        m_at += length;
        return code;
    }

    char16_t Hex4()
    {
        const qsizetype start = m_at - 2; // the backslash
        bool ok = m_at + 4 <= m_end;
        uint code = 0;
        for (qsizetype i = 0; ok && i < 4; ++i) {
            const char c = m_text.at(m_at + i);
            const int digit = c >= '0' && c <= '9' ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            ok = digit >= 0;
            code = code * 16 + static_cast<uint>(digit);
        }
        if (!ok)
            Refuse(MsgBadEscape, {QString::fromUtf8(m_text.mid(m_at - 1, std::min<qsizetype>(5, m_end - m_at + 1)))},
                   start);
        m_at += 4;
        return static_cast<char16_t>(code);
    }

    QString Text()
    {
        ++m_at; // the opening quote
        QString text;
        for (;;) {
            if (m_at >= m_end)
                Expected(QStringLiteral("\""));
            const char c = m_text.at(m_at);
            if (c == '"')
                break;
            if (static_cast<unsigned char>(c) < 0x20)
                Refuse(MsgControlCharacter, {Hex(static_cast<unsigned char>(c), 4)});
            if (c != '\\') {
                const char32_t code = NextCharacter();
                if (code < 0x10000)
                    text.append(QChar(static_cast<char16_t>(code)));
                else
                    text.append(QChar(QChar::highSurrogate(code))).append(QChar(QChar::lowSurrogate(code)));
                continue;
            }
            const qsizetype escape = m_at;
            m_at += 2;
            const char kind = escape + 1 < m_end ? m_text.at(escape + 1) : '\0';
            switch (kind) {
            case '"': text.append(u'"'); break;
            case '\\': text.append(u'\\'); break;
            case '/': text.append(u'/'); break;
            case 'b': text.append(u'\b'); break;
            case 'f': text.append(u'\f'); break;
            case 'n': text.append(u'\n'); break;
            case 'r': text.append(u'\r'); break;
            case 't': text.append(u'\t'); break;
            case 'u': {
                const char16_t unit = Hex4();
                if (QChar::isLowSurrogate(unit))
                    Refuse(MsgLoneSurrogate, {Hex(unit, 4)}, escape);
                if (QChar::isHighSurrogate(unit)) {
                    if (m_at + 1 >= m_end || m_text.at(m_at) != '\\' || m_text.at(m_at + 1) != 'u')
                        Refuse(MsgLoneSurrogate, {Hex(unit, 4)}, escape);
                    m_at += 2;
                    const char16_t low = Hex4();
                    if (!QChar::isLowSurrogate(low))
                        Refuse(MsgLoneSurrogate, {Hex(unit, 4)}, escape);
                    text.append(QChar(unit)).append(QChar(low));
                } else {
                    text.append(QChar(unit));
                }
                break;
            }
            default:
                m_at = escape;
                if (escape + 1 >= m_end)
                    Expected(QStringLiteral("\""));
                ++m_at;
                const char32_t code = NextCharacter();
                const QString shown = code < 0x20 ? QStringLiteral("U+") + Hex(code, 4) : QString::fromUcs4(&code, 1);
                Refuse(MsgBadEscape, {shown}, escape);
            }
        }
        ++m_at; // the closing quote
        return text;
    }

    QJsonValue Number()
    {
        const qsizetype start = m_at;
        const auto digits = [&] {
            const qsizetype from = m_at;
            while (m_at < m_end && m_text.at(m_at) >= '0' && m_text.at(m_at) <= '9')
                ++m_at;
            return m_at - from;
        };
        const auto at = [&](const char* any) { return m_at < m_end && std::string_view(any).find(m_text.at(m_at)) != std::string_view::npos; };
        bool ok = true;
        if (at("-"))
            ++m_at;
        const qsizetype integerStart = m_at;
        const qsizetype integer = digits();
        ok = integer > 0 && (integer == 1 || m_text.at(integerStart) != '0');
        if (ok && at(".")) {
            ++m_at;
            ok = digits() > 0;
        }
        if (ok && at("eE")) {
            ++m_at;
            if (at("+-"))
                ++m_at;
            ok = digits() > 0;
        }
        // Letters, digits and points right after belong to what was meant as the number.
        while (at("0123456789.eE+-abcdfghijklmnopqrstuvwxyzABCDFGHIJKLMNOPQRSTUVWXYZ"))
            ok = false, ++m_at;
        const std::string_view written(m_text.constData() + start, static_cast<size_t>(m_at - start));
        const QString shown = QString::fromLatin1(written.data(), static_cast<qsizetype>(written.size()));
        if (!ok)
            Refuse(MsgBadNumber, {shown}, start);
        double number = 0;
        const auto [end, error] = std::from_chars(written.data(), written.data() + written.size(), number);
        char shortest[64];
        const auto printed = std::to_chars(std::begin(shortest), std::end(shortest), number);
        if (error != std::errc() || end != written.data() + written.size() || printed.ec != std::errc() ||
            Normalised(written) != Normalised(std::string_view(shortest, static_cast<size_t>(printed.ptr - shortest))))
            Refuse(MsgInexactNumber, {shown}, start);
        return number;
    }

    const QByteArray& m_text;
    const qsizetype m_end;
    qsizetype m_at = 0;
};

} // namespace

bool StrictJson::Read(const QByteArray& text, QJsonValue& value, JsonRefusal& refusal)
{
    try {
        value = Reader(text).Document();
        return true;
    } catch (const Refused& refused) {
        const QByteArrayView before = QByteArrayView(text).first(std::min(refused.offset, text.size()));
        const qsizetype lineStart = before.lastIndexOf('\n') + 1;
        refusal.line = before.count('\n') + 1;
        // Characters, not bytes: every byte but a UTF-8 continuation byte starts one.
        refusal.column = 1 + std::count_if(before.begin() + lineStart, before.end(),
                                           [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
        // A byte order mark is no character of the first line, as editors show it.
        if (refusal.line == 1 && refused.offset >= 3 && text.startsWith("\xEF\xBB\xBF"))
            --refusal.column;
        refusal.reason = refused.reason;
        value = QJsonValue(QJsonValue::Undefined);
        return false;
    }
}

QString StrictJson::Shown(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::String:
        return QStringLiteral("\"%1\"").arg(value.toString());
    case QJsonValue::Double:
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Array:
        return QStringLiteral("[…]");
    case QJsonValue::Object:
        return QStringLiteral("{…}");
    case QJsonValue::Undefined:
        break;
    }
    return QString();
}

} // namespace korvel

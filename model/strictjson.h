#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QString>

namespace korvel {

// Where and why a text is not strict JSON: 1-based line and column (the column counted in
// characters) and what was wrong, in the interface language.
struct JsonRefusal {
    qint64 line = 0;
    qint64 column = 0;
    QString reason;
};

// Reads files and clipboard payloads as JSON exactly as RFC 8259 writes it, where Qt's own reader
// is lenient (it takes unknown escapes, raw control characters and lone surrogates, lets a repeated
// member name win silently, and drops a U+FEFF inside a text). Refused: anything but one value with
// blanks around it, trailing commas, comments, escapes other than \" \\ \/ \b \f \n \r \t \uXXXX,
// raw U+0000-U+001F in a text, surrogate escapes outside a valid pair, bytes that are not UTF-8
// (overlong forms and encoded surrogates included), a member name twice in one object, nesting
// deeper than MaxDepth, and a number a double cannot hold as written (so a number read is exactly
// the one the text shows). Texts are kept as written: U+FEFF, U+FFFE and U+FFFF pass unchanged. A
// byte order mark at the very start of the text is skipped.
class StrictJson final {
public:
    static constexpr int MaxDepth = 64;

    // Reads `text` into `value`. Returns false, with `refusal` filled, for a text that is not strict
    // JSON; `value` is then undefined.
    static bool Read(const QByteArray& text, QJsonValue& value, JsonRefusal& refusal);
    // The value as the text shows it, to say in a message what was found: a text in double quotes,
    // a number in its shortest exact form ("1.0000000001"), true, false or null.
    static QString Shown(const QJsonValue& value);
};

} // namespace korvel

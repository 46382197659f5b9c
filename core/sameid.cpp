#include "core/sameid.h"

#include <QHash>

#include <unicode/ucol.h>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace korvel {
namespace {

struct CollatorClose {
    void operator()(UCollator* collator) const { ucol_close(collator); }
};

// The root collation at secondary strength, as the server's case-insensitive ICU collation; one per
// thread, as ICU collators are not to be shared. Null when ICU could not open it (then every key
// is the case-folded ID itself).
UCollator* RootCollator()
{
    thread_local const std::unique_ptr<UCollator, CollatorClose> collator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<UCollator, CollatorClose> opened(ucol_open("", &status));
        if (U_FAILURE(status))
            return std::unique_ptr<UCollator, CollatorClose>();
        // Normalisation stays off, as the server leaves it: marks written in another order
        // ("a\u0302\u0323", "a\u0323\u0302") are two IDs there, so they are here.
        ucol_setAttribute(opened.get(), UCOL_STRENGTH, UCOL_SECONDARY, &status);
        return U_FAILURE(status) ? std::unique_ptr<UCollator, CollatorClose>() : std::move(opened);
    }();
    return collator.get();
}

QString ComputedIdKey(const QString& id)
{
    // Folded first, so IDs that differ only in letter case by Qt's folding share a key whatever
    // the collation makes of them.
    const QString folded = id.toCaseFolded();
    UCollator* collator = RootCollator();
    if (!collator)
        return folded;
    static_assert(sizeof(UChar) == sizeof(QChar));
    const auto* text = reinterpret_cast<const UChar*>(folded.utf16());
    const auto length = static_cast<int32_t>(folded.size());
    // Most keys fit the buffer on the stack; a longer one is asked for again in a buffer its size.
    std::array<uint8_t, 256> buffer;
    std::vector<uint8_t> large;
    uint8_t* key = buffer.data();
    int32_t needed = ucol_getSortKey(collator, text, length, key, static_cast<int32_t>(buffer.size()));
    if (needed > static_cast<int32_t>(buffer.size())) {
        large.resize(static_cast<size_t>(needed));
        key = large.data();
        needed = ucol_getSortKey(collator, text, length, key, needed);
    }
    // The key ends with a zero byte, left off; each byte becomes one character.
    return QString::fromLatin1(reinterpret_cast<const char*>(key), needed > 0 ? needed - 1 : 0);
}

bool PlainCharacter(QChar c)
{
    return c.unicode() < 128 && c.isLetterOrNumber();
}

// An ID of ASCII letters and digits only: the database takes two of them for one exactly when they
// differ in letter case alone, so their key needs no collation.
bool Plain(QStringView id)
{
    return std::all_of(id.cbegin(), id.cend(), PlainCharacter);
}

// A plain ID without small letters is its own key, which costs no copy; most IDs are.
bool OwnKey(QStringView id)
{
    return std::all_of(id.cbegin(), id.cend(),
                       [](QChar c) { return (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9'); });
}

// A plain ID in capitals. Keys of other IDs start with a character no plain ID has, so the two
// kinds never meet.
QString PlainKey(const QString& id)
{
    QString key(id.size(), Qt::Uninitialized);
    QChar* out = key.data();
    for (const QChar c : id)
        *out++ = c >= u'a' && c <= u'z' ? QChar(c.unicode() - (u'a' - u'A')) : c;
    return key;
}

// The plain ID the database takes `id` for, lower case, when there is one to be found: width,
// compatibility forms, the script of digits and ignorable characters undone. Empty when none.
QString PlainSpelling(const QString& id)
{
    const QString ignorable = ComputedIdKey(QString());
    QString plain;
    for (const QChar c : id.normalized(QString::NormalizationForm_KC).toCaseFolded()) {
        if (PlainCharacter(c))
            plain += c.toLower();
        else if (c.digitValue() >= 0)
            plain += QChar(u'0' + c.digitValue());
        else if (c.isSurrogate() || ComputedIdKey(QString(c)) != ignorable)
            return {};
    }
    return plain;
}

// The key of an ID that is not plain: the key of the plain ID the collation finds it equal to, else
// its collation key.
QString MadeIdKey(const QString& id)
{
    const QString key = ComputedIdKey(id);
    if (const QString plain = PlainSpelling(id); !plain.isEmpty() && ComputedIdKey(plain) == key)
        return PlainKey(plain);
    return QStringLiteral("~") + key;
}

} // namespace

QString IdKey(const QString& id)
{
    // The key of any other ID than a plain one costs many times a hash lookup, and the same IDs come
    // again and again (a step, the ends of its links, its canvas items): those keys are remembered,
    // per thread, up to a bound.
    if (OwnKey(id))
        return id;
    if (Plain(id))
        return PlainKey(id);
    constexpr qsizetype Remembered = 1 << 16;
    thread_local QHash<QString, QString> keys;
    if (const auto it = keys.constFind(id); it != keys.constEnd())
        return *it;
    if (keys.size() >= Remembered)
        keys.clear();
    return *keys.insert(id, MadeIdKey(id));
}

QString TaggedIdKey(const QString& tagged)
{
    if (tagged.isEmpty() || OwnKey(QStringView(tagged).sliced(1)))
        return tagged;
    return tagged.front() + IdKey(tagged.sliced(1));
}

bool SameId(const QString& a, const QString& b)
{
    return a == b || IdKey(a) == IdKey(b);
}

} // namespace korvel

#include "host/standardutility.h"

#include "core/leadingnumber.h"

#include <QDateTime>
#include <QFont>
#include <QGuiApplication>
#include <QIcon>
#include <QRandomGenerator>
#include <cmath>
#include <limits>

namespace korvel {
namespace {

constexpr quint32 kSuffixRange = 36u * 36u * 36u * 36u * 36u * 36u; // six base-36 digits

QString base36(quint64 value, int width)
{
    return QString::number(value, 36).toUpper().rightJustified(width, u'0', true);
}

qint32 roundToWhole(double value)
{
    if (!std::isfinite(value))
        return 0;
    const double rounded = std::round(value);
    if (rounded >= static_cast<double>(std::numeric_limits<qint32>::max()))
        return std::numeric_limits<qint32>::max();
    if (rounded <= static_cast<double>(std::numeric_limits<qint32>::min()))
        return std::numeric_limits<qint32>::min();
    return static_cast<qint32>(rounded);
}

} // namespace

QString StandardUtility::FieldToString(const QVariant& field)
{
    if (field.isNull() || !field.isValid())
        return QStringLiteral("");
    if (field.typeId() == QMetaType::QDateTime)
        return field.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return field.toString();
}

qint32 StandardUtility::FieldToLong(const QVariant& field)
{
    if (field.isNull() || !field.isValid())
        return 0;
    switch (field.typeId()) {
    case QMetaType::QString:
    case QMetaType::QByteArray:
        return LeadingWholeNumber(field.toString());
    case QMetaType::Bool:
        return field.toBool() ? 1 : 0;
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort: {
        bool ok = false;
        const qlonglong value = field.toLongLong(&ok);
        if (ok) {
            if (value > std::numeric_limits<qint32>::max())
                return std::numeric_limits<qint32>::max();
            if (value < std::numeric_limits<qint32>::min())
                return std::numeric_limits<qint32>::min();
            return static_cast<qint32>(value);
        }
        return roundToWhole(field.toDouble());
    }
    default: {
        bool ok = false;
        const double value = field.toDouble(&ok);
        return ok ? roundToWhole(value) : LeadingWholeNumber(field.toString());
    }
    }
}

QString StandardUtility::SqlQuote(const QString& text)
{
    QString quoted = text;
    quoted.replace(u'\'', QStringLiteral("''"));
    return quoted;
}

qint32 StandardUtility::ByteLength(const QString& text)
{
    qint32 bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x80) {
            bytes += 1;
            continue;
        }
        bytes += 2;
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
    }
    return bytes;
}

QString StandardUtility::NewUniqueKey()
{
    // The counter starts at a random point so that two processes proposing IDs at the same time
    // are unlikely to propose the same ones; within one process the suffix never repeats until
    // the counter has gone round all 36^6 values.
    if (!m_seeded) {
        m_counter = QRandomGenerator::global()->bounded(kSuffixRange);
        m_seeded = true;
    }
    m_counter = (m_counter + 1) % kSuffixRange;
    const auto now = static_cast<quint64>(QDateTime::currentMSecsSinceEpoch());
    return base36(now, 8) + base36(m_counter, 6);
}

void StandardUtility::ApplyFormStyle(QObject* form)
{
    if (!form)
        return;
    QFont font = form->property("font").value<QFont>();
    QStringList families{font.family()};
    for (const QString& fallback :
         {QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")})
        if (!families.contains(fallback))
            families << fallback;
    font.setFamilies(families);
    form->setProperty("font", font);
    const QIcon icon = QGuiApplication::windowIcon();
    if (!icon.isNull())
        form->setProperty("windowIcon", icon);
}

} // namespace korvel

#pragma once

#include "core/hostinterfaces.h"

#include <QString>
#include <QVariant>

namespace korvel {

// The host's utility services.
class StandardUtility final : public HostUtility {
public:
    using HostUtility::HostUtility;

    // Null gives ""; a date-time is written "yyyy-MM-dd HH:mm:ss"; anything else its plain text.
    QString FieldToString(const QVariant& field) override;
    // Null gives 0; numbers are rounded (halves away from zero) and clamped to 32 bits; a text
    // gives its leading number, 0 when it has none.
    qint32 FieldToLong(const QVariant& field) override;
    // Doubles every single quote.
    QString SqlQuote(const QString& text) override;
    // An ASCII character counts 1 byte, any other character 2 (a surrogate pair is one character).
    qint32 ByteLength(const QString& text) override;
    // A base-36 time stamp followed by six characters drawn from a per-process counter, so the last
    // six characters differ from call to call; 14 characters, digits and capital letters only.
    QString NewUniqueKey() override;
    // The common look: the application's window icon and a font that falls back to Chinese glyphs,
    // set through the form's properties "font" and "windowIcon".
    void ApplyFormStyle(QObject* form) override;

private:
    quint32 m_counter = 0;
    bool m_seeded = false;
};

} // namespace korvel

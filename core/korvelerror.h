#pragma once

#include <QString>
#include <stdexcept>

namespace korvel {

// The one exception type of the add-in. A failing statement, a failing host call or an unknown
// string id raises it; the operations with an error handler catch it, log it and return their
// failure value.
class KorvelError : public std::runtime_error {
public:
    explicit KorvelError(const QString& description)
        : std::runtime_error(description.toStdString()), m_description(description)
    {
    }
    const QString& description() const noexcept { return m_description; }

private:
    QString m_description;
};

// The description of any caught exception, for the error log.
QString describe(const std::exception& error);

} // namespace korvel

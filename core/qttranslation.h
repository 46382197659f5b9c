#pragma once

#include <QString>
#include <memory>

class QTranslator;

namespace korvel {

// Qt's own texts (message box buttons, standard dialogs, the edit menu of text boxes) in the
// language the string table shows: Simplified Chinese, from Qt's translation qtbase_zh_CN (Debian's
// qt6-translations-l10n), when IsChineseInterface(); Qt's built-in English otherwise. The
// translation is installed into the application for the object's lifetime.
class QtTranslation final {
public:
    // Loads the translation from `folder`, Qt's translations folder when empty. A file that is
    // missing or cannot be read is logged and leaves Qt's texts in English; never throws.
    explicit QtTranslation(const QString& folder = QString());
    ~QtTranslation();
    QtTranslation(const QtTranslation&) = delete;
    QtTranslation& operator=(const QtTranslation&) = delete;

    // True when a translation was loaded and is installed.
    bool isInstalled() const { return m_translator != nullptr; }

private:
    std::unique_ptr<QTranslator> m_translator;
};

} // namespace korvel

#include "core/qttranslation.h"

#include "core/errorlog.h"
#include "resources/stringtable.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

namespace korvel {

QtTranslation::QtTranslation(const QString& folder)
{
    // English needs no file: it is the language Qt's texts are written in.
    if (!IsChineseInterface() || !QCoreApplication::instance())
        return;
    const QString where = folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
    // The string table's Chinese is Simplified, so Qt's texts are too, whatever the Chinese locale.
    const QString name = QStringLiteral("qtbase_zh_CN");
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(name, where)) {
        LogError(QStringLiteral("[Korvel]-[QtTranslation]-[Load]:"),
                 QStringLiteral("cannot read Qt's Chinese texts %1.qm (package qt6-translations-l10n); "
                                "Qt's buttons and dialogs stay in English")
                     .arg(QDir(where).filePath(name)));
        return;
    }
    if (QCoreApplication::installTranslator(translator.get()))
        m_translator = std::move(translator);
}

QtTranslation::~QtTranslation()
{
    if (m_translator)
        QCoreApplication::removeTranslator(m_translator.get());
}

} // namespace korvel

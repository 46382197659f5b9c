#pragma once

#include <QString>
#include <QtGlobal>

namespace korvel {

// The text of string-table id `id` in the user's language: Chinese when the user-interface
// language (QLocale) is Chinese, English otherwise. An id that is not in the table throws KorvelError.
QString LoadResString(qint32 id);

// The text of `id` in one language, regardless of the user's (for tests and tools).
enum class Language { English, Chinese };
QString LoadResString(qint32 id, Language language);

// True when the user interface shows Chinese texts.
bool IsChineseInterface();

// Every id of the table, ascending.
QList<qint32> StringTableIds();

} // namespace korvel

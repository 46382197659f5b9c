#include "resources/stringtable.h"

#include "core/korvelerror.h"

#include <QFile>
#include <QHash>
#include <QLocale>
#include <QStringList>
#include <algorithm>

static void initStringResources()
{
    Q_INIT_RESOURCE(strings);
}

namespace korvel {
namespace {

struct Texts {
    QString english;
    QString chinese;
};

// Parsed once from the table compiled into the library.
const QHash<qint32, Texts>& table()
{
    static const QHash<qint32, Texts> texts = [] {
        initStringResources();
        QHash<qint32, Texts> result;
        QFile file(QStringLiteral(":/korvel/strings.tsv"));
        if (!file.open(QIODevice::ReadOnly))
            return result;
        const QString all = QString::fromUtf8(file.readAll());
        for (const QString& line : all.split(u'\n')) {
            if (line.isEmpty() || line.startsWith(u'#'))
                continue;
            const QStringList fields = line.split(u'\t');
            if (fields.size() != 3)
                continue;
            bool ok = false;
            const qint32 id = fields[0].toInt(&ok);
            if (ok)
                result.insert(id, Texts{fields[1], fields[2]});
        }
        return result;
    }();
    return texts;
}

} // namespace

bool IsChineseInterface()
{
    return QLocale().language() == QLocale::Chinese;
}

QString LoadResString(qint32 id, Language language)
{
    const auto it = table().constFind(id);
    if (it == table().constEnd())
        throw KorvelError(QStringLiteral("Resource with identifier '%1' not found").arg(id));
    return language == Language::Chinese ? it->chinese : it->english;
}

QString LoadResString(qint32 id)
{
    return LoadResString(id, IsChineseInterface() ? Language::Chinese : Language::English);
}

QList<qint32> StringTableIds()
{
    QList<qint32> ids = table().keys();
    std::sort(ids.begin(), ids.end());
    return ids;
}

} // namespace korvel

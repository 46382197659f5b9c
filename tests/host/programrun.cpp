#include "tests/host/programrun.h"

#include <QDirIterator>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace korvel {

QVariant valueIn(const QString& sqliteFile, const QString& sql)
{
    QVariant value = -1;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase("QSQLITE", "program-check");
        database.setDatabaseName(sqliteFile);
        QSqlQuery query(database);
        if (database.open() && query.exec(sql) && query.next())
            value = query.value(0);
    }
    QSqlDatabase::removeDatabase("program-check");
    return value;
}

int colourCount(const QImage& image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            colours.insert(image.pixel(x, y));
    return static_cast<int>(colours.size());
}

void writeFile(const QString& name, const QByteArray& bytes)
{
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QMap<QString, QPair<QByteArray, QDateTime>> filesUnder(const QString& folder)
{
    QMap<QString, QPair<QByteArray, QDateTime>> files;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
        QFile file(it.next());
        files.insert(file.fileName(), {file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("?"),
                                       it.fileInfo().lastModified()});
    }
    return files;
}

} // namespace korvel

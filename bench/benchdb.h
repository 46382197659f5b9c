#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>
#include <map>
#include <memory>

namespace korvel::bench {

enum class Backend { SQLite, PostgreSQL };

// "sqlite" or "postgres".
QString BackendName(Backend backend);

// The frames every generated database starts with.
inline const QString SmallFrameID = QStringLiteral("A0001"); // listed first: drawn at start-up
inline const QString LargeFrameID = QStringLiteral("F0001"); // the frame a case works on
inline constexpr int SmallFrameSteps = 10;
inline constexpr int FillerFrameSteps = 100;

// What a generated database holds. Step IDs are "N" + a counter from 1 without gaps, as the
// designer hands them out, spread over the frames in the order below.
struct Layout {
    enum class Kind {
        // The small frame, the large frame of `flowSteps` steps, and frames of 100 steps without
        // links until the database holds `stepRows` step rows.
        Flow,
        // `frames` frames, the first with a small flow, the others with none.
        Frames,
    };
    Kind kind = Kind::Flow;
    int flowSteps = 0;
    int stepRows = 0;
    int frames = 0;

    // Names the layout, for the template cache.
    QString Key() const;
};

// The ID of the generated step with this counter: "N" and five digits.
inline QString StepID(int counter)
{
    return QStringLiteral("N") + QString::number(counter).rightJustified(5, QLatin1Char('0'));
}

// Every generated flow of `steps` steps has twice as many links: Start to steps 1 and 2, each step
// to the next two, the last step to End. Every tenth step returns to the step two before it.
inline int LinksOf(int steps)
{
    return 2 * steps;
}

// The databases of one run: a template per layout, generated on first use, and a fresh copy of it
// for every measurement, so that each starts from the same rows whatever the one before wrote.
// SQLite templates are files in a temporary folder; PostgreSQL ones are databases on the server
// named by KORVEL_TEST_PG (see scripts/with-test-postgres.sh), copied with CREATE DATABASE ...
// TEMPLATE. Everything made is removed with the object. Failures throw KorvelError.
class DatabaseFarm final {
public:
    explicit DatabaseFarm(Backend backend);
    ~DatabaseFarm();
    DatabaseFarm(const DatabaseFarm&) = delete;
    DatabaseFarm& operator=(const DatabaseFarm&) = delete;

    Backend backend() const { return m_backend; }
    // A fresh copy of the layout's database, as a korvel --db value.
    QString Copy(const Layout& layout);
    // Removes a copy made by Copy.
    void Remove(const QString& location);

private:
    QString TemplateName(const Layout& layout);
    QString LocationOf(const QString& name) const;
    void RunOnServer(const QString& sql) const;

    Backend m_backend;
    QTemporaryDir m_folder;
    std::map<QString, QString> m_templates; // layout key -> file or database name
    int m_serial = 0;
};

// Opens a korvel --db value the way the program does (DatabaseLocation); throws KorvelError.
QSqlDatabase OpenLocation(const QString& location, const QString& connectionName);

} // namespace korvel::bench

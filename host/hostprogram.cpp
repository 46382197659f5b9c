#include "host/hostprogram.h"

#include "core/korvelerror.h"
#include "core/qttranslation.h"
#include "core/wholefile.h"
#include "host/addinlibrary.h"
#include "host/admincommands.h"
#include "host/databaselocation.h"
#include "host/filelog.h"
#include "host/flowcommands.h"
#include "host/hostobject.h"
#include "host/hostoptions.h"
#include "host/sqlitefile.h"
#include "model/flowcheck.h"
#include "persistence/framechanges.h"
#include "persistence/frameversions.h"
#include "persistence/schema.h"
#include "resources/stringtable.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace korvel {
namespace {

const QString kConnectionName = QStringLiteral("korvel");

// Why korvel must not write to an SQLite file, or "" when it may (the file's name stands for %1).
// The permission bits count even for an account that the system lets write anyway (root): a file
// its owner marked read-only is not changed.
QString readOnlyReason(const QString& path)
{
    const QFileInfo file(path);
    if (!file.isFile())
        return {};
    // (WriteUser follows what the running account may do, so it is left out.)
    constexpr auto anyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if (!file.isWritable() || !(file.permissions() & anyWrite))
        return LoadResString(2430);
    if (!QFileInfo(file.absolutePath()).isWritable())
        return LoadResString(2431);
    return {};
}

// True when an SQLite database holds no table, index or view at all.
bool isEmptySqlite(const QSqlDatabase& database)
{
    QSqlQuery query(database);
    if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master")) || !query.next())
        throw KorvelError(query.lastError().text());
    return query.value(0).toInt() == 0;
}

// Before the designer starts: an empty SQLite database gets the tables and the demo data at once.
// Any other database must already have them (or be given --init-db), since it may belong to a host
// system whose file korvel must not change. Damage is not looked for here: a scan of the whole file
// costs seconds on a large one, so --check-db does it on request, and a damaged page met later fails
// its statement with SQLite's own error, reported as any database error is.
bool prepareDatabase(const QSqlDatabase& database, const QString& shownName, bool writable)
{
    const bool sqlite = database.driverName() == QLatin1String("QSQLITE");
    try {
        if (!SchemaExists(database)) {
            if (!sqlite || !isEmptySqlite(database)) {
                printError(LoadResString(sqlite ? 2432 : 2433).arg(shownName));
                return false;
            }
            CreateSchema(database);
            LoadDemoData(database);
        }
        if (writable) {
            DatabaseServices::EnsureLockTable(database);
            FrameChanges::EnsureTable(database);
            FrameVersions::EnsureTables(database);
        }
    } catch (const std::exception& error) {
        printError(FormatMessage(2434, {shownName, describe(error)}));
        return false;
    }
    return true;
}

QString logPath(const HostOptions& options)
{
    return options.logFile.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                                           QStringLiteral("/korvel.log")
                                     : options.logFile;
}

// The designer window behind the handle the add-in gives, or the window by its name when the
// handle does not lead to a widget (platforms with handles wider than 32 bits).
QWidget* designerWindow(AddinLibrary& addin)
{
    const qint32 handle = addin.GetFormHwnd();
    if (QWidget* window = QWidget::find(static_cast<WId>(static_cast<quint32>(handle))))
        return window->window();
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows)
        if (window->objectName() == QLatin1String("FrmMain"))
            return window;
    return nullptr;
}

bool saveScreenshot(QWidget& window, const QString& file)
{
    window.resize(1280, 800);
    window.show();
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    const QPixmap shot = window.grab();
    try {
        WholeFile png(file);
        if (shot.isNull() || !shot.save(&png, "PNG")) {
            printError(LoadResString(1437).arg(file, png.failed() ? png.errorString() : QStringLiteral("PNG")));
            return false;
        }
        png.commit();
    } catch (const std::exception& error) {
        printError(describe(error));
        return false;
    }
    return true;
}

// Runs the add-in from StartMe to CloseMe with the window shown (or rendered into a file).
int runAddin(HostObject& host, const HostOptions& options)
{
    AddinLibrary addin;
    QString error;
    if (!addin.load(error)) {
        printError(FormatMessage(2436, {error}));
        return 1;
    }

    int status = 0;
    // --screenshot runs with nobody to answer: a message the designer shows (a list it could not
    // read, a statement that timed out) is printed and closed instead of waiting forever, and the
    // picture is still written but the run counts as failed.
    QTimer answerer;
    if (!options.screenshot.isEmpty()) {
        QObject::connect(&answerer, &QTimer::timeout, [&status] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            const auto* box = qobject_cast<QMessageBox*>(dialog);
            printError(FormatMessage(2435, {box ? box->text().simplified() : dialog->windowTitle()}));
            dialog->reject();
            status = 1;
        });
        answerer.start(200);
    }
    QPointer<QWidget> window;
    try {
        QString startName = QStringLiteral("Korvel");
        QVariant hostObject = QVariant::fromValue<QObject*>(&host);
        QVariant startPara;
        addin.StartMe(startName, hostObject, startPara);
        window = designerWindow(addin);
        if (!window) {
            printError(LoadResString(2437));
            status = 1;
        }
    } catch (const std::exception& failure) {
        printError(FormatMessage(2438, {describe(failure)}));
        status = 1;
    }

    if (window) {
        if (!options.screenshot.isEmpty()) {
            if (!saveScreenshot(*window, options.screenshot))
                status = 1;
        } else {
            QApplication::setQuitOnLastWindowClosed(false);
            // The add-in calls ReleaseDll once its window has closed; a window that vanishes
            // without saying so must not leave the program running invisibly.
            QObject::connect(&host.loader(), &HostLoader::releaseRequested, qApp,
                             [] { QCoreApplication::exit(0); });
            QObject::connect(window.data(), &QObject::destroyed, qApp, [] { QCoreApplication::exit(0); });
            window->show();
            window->raise();
            window->activateWindow();
            QApplication::exec();
        }
    }

    addin.CloseMe();
    delete window.data();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    addin.unload();
    return status;
}

} // namespace

int HostProgram::run(const QStringList& arguments)
{
    QCoreApplication::setApplicationName(QStringLiteral("korvel"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Korvel"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/korvel/korvel.svg")));

    // The command line's own texts come from the string table; Qt's parts of it (the help's headings,
    // the parser's errors) from Qt's translation, in the same language.
    const QtTranslation qtTexts;
    HostOptions options;
    switch (options.parse(arguments)) {
    case HostOptions::Outcome::ShowHelp:
        std::fputs(qPrintable(options.message()), stdout);
        return 0;
    case HostOptions::Outcome::Error:
        std::fputs(qPrintable(QStringLiteral("korvel: ") + options.message()), stderr);
        return 2;
    case HostOptions::Outcome::Run:
        break;
    }

    const bool showsWindow = !options.initDatabase && !options.checkDatabase && options.unlockFrame.isEmpty() &&
                             options.command.isEmpty() && options.screenshot.isEmpty();
    if (showsWindow && HostOptions::withoutDisplay()) {
        printError(LoadResString(2439));
        return 1;
    }

    // Wrong arguments are told as such whatever the database, even one that is missing.
    if (!options.command.isEmpty())
        if (const int status = CheckFlowCommandArguments(options))
            return status;

    const DatabaseLocation location = DatabaseLocation::parse(options.database);
    const QString shownName = location.displayName();
    if (location.hasPassword())
        printError(LoadResString(2440));
    SessionSettings settings;
    settings.statementTimeoutSeconds = options.statementTimeout;
    settings.readOnly = options.checkDatabase || !options.screenshot.isEmpty() ||
                        (!options.command.isEmpty() && !FlowCommandWrites(options));

    // An SQLite file is looked at before it is opened, since opening creates a missing one.
    DatabaseLocation opened = location;
    if (location.isValid() && location.kind() == DatabaseLocation::Kind::SQLite) {
        const QFileInfo file(location.filePath());
        // Only the window and --init-db make a database: a command that finds none says so and leaves
        // the folder as it was, also for the default file.
        const bool missing = !file.exists();
        if (missing && (options.checkDatabase || !options.unlockFrame.isEmpty() || !options.command.isEmpty())) {
            printError(FormatMessage(2441, {shownName}));
            return 1;
        }
        if (!options.command.isEmpty() && file.isFile() && file.size() == 0) {
            printError(FormatMessage(2442, {shownName}));
            return 1;
        }
        if (file.isFile() && !MayHoldSqlite(file.filePath())) {
            printError(FormatMessage(2443, {shownName}));
            return 1;
        }
        if (!settings.readOnly) {
            if (const QString reason = readOnlyReason(file.filePath()); !reason.isEmpty()) {
                printError(reason.arg(shownName));
                return 1;
            }
        } else if (!options.screenshot.isEmpty() && (missing || (file.isFile() && file.size() == 0)) &&
                   (file.absoluteDir().exists() ||
                    file.filePath() == DatabaseLocation::defaultSqliteFile())) {
            // What a first start would create, rendered without creating it.
            opened = DatabaseLocation::parse(QStringLiteral("sqlite::memory:"));
            settings.readOnly = false;
        }
        // A read-only connection cannot roll back a write interrupted by a crash and so cannot read at
        // all; when korvel may write the file it rolls the write back first. --check-db only reports.
        if (settings.readOnly && !options.checkDatabase && HasJournal(file.filePath()) &&
            readOnlyReason(file.filePath()).isEmpty()) {
            if (const QString error = RollBackInterruptedWrite(file.filePath()); !error.isEmpty()) {
                printError(FormatMessage(2444, {shownName, error}));
                return 1;
            }
        }
    }

    int status = 1;
    {
        QString error;
        QSqlDatabase database = opened.open(kConnectionName, error, settings);
        if (!database.isOpen()) {
            printError(settings.readOnly && HasJournal(opened.filePath())
                           ? InterruptedWriteMessage(shownName)
                           : FormatMessage(2445, {shownName, error}));
            return 1;
        }
        if (options.initDatabase) {
            status = InitialiseDatabase(database, shownName);
        } else if (options.checkDatabase) {
            status = CheckDatabase(database, shownName);
        } else if (!options.unlockFrame.isEmpty()) {
            FileLog log(logPath(options));
            status = BreakFrameLock(database, shownName, options.unlockFrame, options.user, log);
        } else if (!options.command.isEmpty()) {
            if (prepareDatabase(database, shownName, FlowCommandWrites(options)))
                status = RunFlowCommand(database, options, std::make_unique<FileLog>(logPath(options)));
        } else if (prepareDatabase(database, shownName, !settings.readOnly)) {
            HostObject host(database, options.user, std::make_unique<FileLog>(logPath(options)));
            status = runAddin(host, options);
        }
        database.close();
    }
    QSqlDatabase::removeDatabase(kConnectionName);
    return status;
}

} // namespace korvel

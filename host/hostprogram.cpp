#include "host/hostprogram.h"

#include "core/korvelerror.h"
#include "host/addinlibrary.h"
#include "host/databaselocation.h"
#include "host/filelog.h"
#include "host/hostobject.h"
#include "host/hostoptions.h"
#include "persistence/schema.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QWidget>
#include <cstdio>

namespace korvel {
namespace {

const QString kConnectionName = QStringLiteral("korvel");

void printError(const QString& text)
{
    std::fprintf(stderr, "korvel: %s\n", qPrintable(text));
    std::fflush(stderr);
}

QIcon applicationIcon()
{
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x2b, 0x5d, 0x9c));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(40);
    painter.setFont(font);
    painter.drawText(QRectF(0, 0, 64, 64), Qt::AlignCenter, QStringLiteral("K"));
    painter.end();
    return QIcon(pixmap);
}

qint32 frameCount(const QSqlDatabase& database)
{
    QSqlQuery query(database);
    if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM TWO_Frame")) || !query.next())
        throw KorvelError(query.lastError().text());
    return query.value(0).toInt();
}

// --init-db: the tables, then the demo data unless the database already holds work orders.
int initialiseDatabase(const QSqlDatabase& database, const QString& shownName)
{
    try {
        CreateSchema(database);
        DatabaseServices::EnsureLockTable(database);
        if (frameCount(database) > 0) {
            std::printf("korvel: %s has the Korvel tables; it already holds work orders, so no demo data "
                        "was added\n",
                        qPrintable(shownName));
            return 0;
        }
        LoadDemoData(database);
    } catch (const std::exception& error) {
        printError(
            QStringLiteral("cannot create the Korvel tables in %1: %2").arg(shownName, describe(error)));
        return 1;
    }
    std::printf("korvel: created the Korvel tables and the demo data in %s\n", qPrintable(shownName));
    return 0;
}

// A new SQLite file gets the tables and the demo data at once; another database must already
// have them (or be given --init-db), since it may belong to a host system.
bool prepareDatabase(const QSqlDatabase& database, const DatabaseLocation& location)
{
    try {
        if (!SchemaExists(database)) {
            if (location.kind() != DatabaseLocation::Kind::SQLite) {
                printError(QStringLiteral("the database %1 has no Korvel tables; create them with --init-db")
                               .arg(location.displayName()));
                return false;
            }
            CreateSchema(database);
            LoadDemoData(database);
        }
        DatabaseServices::EnsureLockTable(database);
    } catch (const std::exception& error) {
        printError(QStringLiteral("cannot prepare the database %1: %2")
                       .arg(location.displayName(), describe(error)));
        return false;
    }
    return true;
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
    if (shot.isNull() || !shot.save(file, "PNG")) {
        printError(QStringLiteral("cannot write the screenshot %1").arg(file));
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
        printError(QStringLiteral("cannot load the Korvel add-in library: %1").arg(error));
        return 1;
    }

    int status = 0;
    QPointer<QWidget> window;
    try {
        QString startName = QStringLiteral("Korvel");
        QVariant hostObject = QVariant::fromValue<QObject*>(&host);
        QVariant startPara;
        addin.StartMe(startName, hostObject, startPara);
        window = designerWindow(addin);
        if (!window) {
            printError(QStringLiteral("the Korvel add-in did not create its window"));
            status = 1;
        }
    } catch (const std::exception& failure) {
        printError(QStringLiteral("the Korvel add-in did not start: %1").arg(describe(failure)));
        status = 1;
    }

    if (status == 0 && window) {
        if (!options.screenshot.isEmpty()) {
            status = saveScreenshot(*window, options.screenshot) ? 0 : 1;
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
    QApplication::setWindowIcon(applicationIcon());

    HostOptions options;
    switch (options.parse(arguments)) {
    case HostOptions::Outcome::ShowHelp:
        std::fputs(qPrintable(options.message()), stdout);
        return 0;
    case HostOptions::Outcome::Error:
        std::fputs(qPrintable(options.message()), stderr);
        return 2;
    case HostOptions::Outcome::Run:
        break;
    }

    const DatabaseLocation location = DatabaseLocation::parse(options.database);
    int status = 1;
    {
        QString error;
        QSqlDatabase database = location.open(kConnectionName, error);
        if (!database.isOpen()) {
            printError(QStringLiteral("cannot open the database %1: %2").arg(location.displayName(), error));
            return 1;
        }
        if (options.initDatabase) {
            status = initialiseDatabase(database, location.displayName());
        } else if (prepareDatabase(database, location)) {
            const QString logPath = options.logFile.isEmpty()
                                        ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                                              QStringLiteral("/korvel.log")
                                        : options.logFile;
            HostObject host(database, options.user, std::make_unique<FileLog>(logPath));
            status = runAddin(host, options);
        }
        database.close();
    }
    QSqlDatabase::removeDatabase(kConnectionName);
    return status;
}

} // namespace korvel

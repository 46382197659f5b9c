#pragma once

#include "host/sessionsettings.h"

#include <QString>
#include <QStringList>

namespace korvel {

// The command line of korvel.
class HostOptions final {
public:
    enum class Outcome { Run, ShowHelp, Error };

    // Reads the arguments (the program name first). ShowHelp and Error leave the text to print in
    // message(): the help text, or the error followed by the usage.
    Outcome parse(const QStringList& arguments);

    const QString& message() const { return m_message; }

    QString database;           // --db: empty for the default SQLite file
    QString user;               // --user: the staff ID; the account name when not given
    bool initDatabase = false;  // --init-db
    QString screenshot;         // --screenshot: PNG file to render the window into, then exit
    QString logFile;            // --log: empty for the default log file
    bool checkDatabase = false; // --check-db
    QString unlockFrame;        // --unlock: the frame whose edit lock to break
    // --db-timeout: seconds one statement may run on PostgreSQL
    int statementTimeout = SessionSettings::kDefaultStatementTimeout;

    // The longest staff ID (and frame ID) the lock table holds, in characters.
    static constexpr int kLongestId = 40;

    // The account name of the user running the program ("korvel" when the system has none).
    static QString accountName();

    // Called before the QApplication exists: when the arguments (the program name first) ask for
    // --help or --screenshot, which need no screen, and there is no display (DISPLAY and
    // WAYLAND_DISPLAY empty) nor a platform chosen through QT_QPA_PLATFORM, chooses Qt's offscreen
    // platform, so that these two work on a machine without a display.
    static void chooseOffscreenWithoutDisplay(const QStringList& arguments);

private:
    QString m_message;
};

} // namespace korvel

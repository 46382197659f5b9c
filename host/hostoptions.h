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

    // A command on frames (host/flowcommands.h): its name ("" when none) and its arguments.
    QString command;
    QStringList commandArguments;
    bool json = false;   // --json (check, history, diff, walk)
    QString output;      // -o / --output (export, render)
    QString newId;       // --as (import, restore): null when not given
    bool importReplace = false; // --replace (import)
    double scale = 1.0;  // --scale (render)
    int compareFrom = 0; // --compare (render): the older version drawn against; 0 when not given
    bool walk = false;   // --walk (render): the arguments after the frame's ID are NAME=VALUE
    bool deleted = false; // --deleted (history)
    int keep = 0;         // --keep (prune): at least 1

    // True when the arguments name a command on frames (or help on one), which runs without a
    // display: the program then chooses the offscreen platform before it starts.
    static bool namesCommand(const QStringList& arguments);

    // The longest staff ID (and frame ID) the lock table holds, in characters.
    static constexpr int kLongestId = 40;

    // The account name of the user running the program ("korvel" when the system has none).
    static QString accountName();

    // Called before the QApplication exists; leaves a platform chosen through QT_QPA_PLATFORM alone.
    // Chooses Qt's offscreen platform for a command on frames (namesCommand), and for everything
    // when there is no display (DISPLAY and WAYLAND_DISPLAY empty), so that --help, --screenshot,
    // --init-db, --check-db and --unlock work on a machine without one.
    static void chooseOffscreenWithoutDisplay(const QStringList& arguments);
    // Overwrites the password of a PostgreSQL address given to --db with '*' in the program's own
    // argument vector, which every local user can read (ps) while the program runs. Call it once the
    // arguments are read.
    static void hidePasswords(int argc, char** argv);

    // True when chooseOffscreenWithoutDisplay found no display at all.
    static bool withoutDisplay() { return s_withoutDisplay; }

private:
    static bool s_withoutDisplay;

    QString m_message;
};

} // namespace korvel

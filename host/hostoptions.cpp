#include "host/hostoptions.h"

#include "host/flowcommands.h"
#include "model/flowcheck.h"
#include "resources/stringtable.h"

#include <QCommandLineParser>
#include <QDir>
#include <algorithm>
#include <cstring>
#include <strings.h>

namespace korvel {

QString HostOptions::accountName()
{
    for (const char* variable : {"USER", "LOGNAME", "USERNAME"}) {
        const QString name = qEnvironmentVariable(variable).trimmed();
        if (!name.isEmpty())
            return name;
    }
    const QString home = QDir::home().dirName();
    return home.isEmpty() ? QStringLiteral("korvel") : home;
}

bool HostOptions::s_withoutDisplay = false;

bool HostOptions::namesCommand(const QStringList& arguments)
{
    static const QStringList withValue = {QStringLiteral("--db"),     QStringLiteral("--user"),
                                          QStringLiteral("--screenshot"), QStringLiteral("--log"),
                                          QStringLiteral("--unlock"), QStringLiteral("--db-timeout"),
                                          QStringLiteral("-o"),       QStringLiteral("--output"),
                                          QStringLiteral("--as"),     QStringLiteral("--scale"),
                                          QStringLiteral("--compare"), QStringLiteral("--keep")};
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (withValue.contains(argument)) {
            ++i;
            continue;
        }
        if (argument.startsWith(u'-'))
            continue;
        return argument == QLatin1String("help") || FlowCommandNames().contains(argument);
    }
    return false;
}

void HostOptions::chooseOffscreenWithoutDisplay(const QStringList& arguments)
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return;
    if (namesCommand(arguments)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return;
    }
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"})
        if (!qEnvironmentVariableIsEmpty(variable))
            return;
    // Without a display Qt could not start at all; what needs no window runs offscreen, and a
    // window that nobody could see is refused with a message (see withoutDisplay()).
    qputenv("QT_QPA_PLATFORM", "offscreen");
    s_withoutDisplay = true;
}

void HostOptions::hidePasswords(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        char* value = nullptr;
        if (std::strcmp(argv[i], "--db") == 0 && i + 1 < argc)
            value = argv[i + 1];
        else if (std::strncmp(argv[i], "--db=", 5) == 0)
            value = argv[i] + 5;
        if (!value)
            continue;
        char* rest = nullptr;
        for (const char* scheme : {"postgresql://", "postgres://"})
            if (!rest && strncasecmp(value, scheme, std::strlen(scheme)) == 0)
                rest = value + std::strlen(scheme);
        if (!rest)
            continue;
        // user:password@host...: the password runs from the first ':' to the last '@' before the path.
        const size_t authority = std::strcspn(rest, "/?#");
        char* at = nullptr;
        for (char* c = rest; c < rest + authority; ++c)
            if (*c == '@')
                at = c;
        char* colon = at ? static_cast<char*>(std::memchr(rest, ':', static_cast<size_t>(at - rest))) : nullptr;
        if (colon)
            std::memset(colon + 1, '*', static_cast<size_t>(at - colon - 1));
    }
}

HostOptions::Outcome HostOptions::parse(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(LoadResString(2400) + u'\n' + LoadResString(2401));
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")}, LoadResString(2402));
    const QCommandLineOption dbOption(QStringLiteral("db"), LoadResString(2403), QStringLiteral("database"));
    const QCommandLineOption userOption(QStringLiteral("user"), LoadResString(2404),
                                        QStringLiteral("staff-id"));
    const QCommandLineOption initDbOption(QStringLiteral("init-db"), LoadResString(2405));
    const QCommandLineOption screenshotOption(QStringLiteral("screenshot"), LoadResString(2406),
                                              QStringLiteral("file"));
    const QCommandLineOption logOption(QStringLiteral("log"), LoadResString(2407), QStringLiteral("file"));
    const QCommandLineOption checkDbOption(QStringLiteral("check-db"), LoadResString(2408));
    const QCommandLineOption unlockOption(QStringLiteral("unlock"), LoadResString(2409),
                                          QStringLiteral("frame-id"));
    const QCommandLineOption timeoutOption(
        QStringLiteral("db-timeout"),
        FormatMessage(2410, {QString::number(SessionSettings::kLongestStatementTimeout),
                             QString::number(SessionSettings::kDefaultStatementTimeout)}),
        QStringLiteral("seconds"));
    const QCommandLineOption jsonOption(QStringLiteral("json"), LoadResString(1481));
    const QCommandLineOption outputOption({QStringLiteral("o"), QStringLiteral("output")}, LoadResString(1482),
                                          QStringLiteral("file"));
    const QCommandLineOption asOption(QStringLiteral("as"), LoadResString(1483), QStringLiteral("frame-id"));
    const QCommandLineOption scaleOption(QStringLiteral("scale"), LoadResString(1484), QStringLiteral("factor"));
    const QCommandLineOption replaceOption(QStringLiteral("replace"), LoadResString(2032));
    const QCommandLineOption compareOption(QStringLiteral("compare"), LoadResString(2070), QStringLiteral("version"));
    const QCommandLineOption walkOption(QStringLiteral("walk"), LoadResString(2152));
    const QCommandLineOption deletedOption(QStringLiteral("deleted"), LoadResString(2411));
    const QCommandLineOption keepOption(QStringLiteral("keep"), LoadResString(2412), QStringLiteral("N"));
    parser.addOptions({helpOption, dbOption, userOption, initDbOption, screenshotOption, logOption,
                       checkDbOption, unlockOption, timeoutOption, jsonOption, outputOption, asOption,
                       replaceOption, scaleOption, compareOption, walkOption, deletedOption, keepOption});
    parser.addPositionalArgument(QStringLiteral("command"), LoadResString(1485), LoadResString(2420));
    const auto fullHelp = [&] { return parser.helpText() + u'\n' + FlowCommandsSummary(); };

    if (!parser.parse(arguments)) {
        m_message = parser.errorText() + QStringLiteral("\n\n") + fullHelp();
        return Outcome::Error;
    }
    const QStringList positional = parser.positionalArguments();
    if (parser.isSet(helpOption) || positional.value(0) == QLatin1String("help")) {
        const QString topic = positional.value(0) == QLatin1String("help") ? positional.value(1) : QString();
        if (!topic.isEmpty() && FlowCommandHelp(topic).isEmpty()) {
            m_message = FormatMessage(1486, {topic}) + QStringLiteral("\n\n") + FlowCommandsSummary();
            return Outcome::Error;
        }
        m_message = topic.isEmpty() ? fullHelp() : FlowCommandHelp(topic) + u'\n';
        return Outcome::ShowHelp;
    }
    const auto refuse = [&](const QString& reason) {
        m_message = reason + QStringLiteral("\n\n") + fullHelp();
        return Outcome::Error;
    };
    if (!positional.isEmpty()) {
        if (!FlowCommandNames().contains(positional.constFirst()))
            return refuse(FormatMessage(1486, {positional.constFirst()}));
        command = positional.constFirst();
        commandArguments = positional.mid(1);
    }
    const bool forImport = command == QLatin1String("import");
    const auto isOneOf = [&](std::initializer_list<const char*> names) {
        return std::any_of(names.begin(), names.end(),
                           [&](const char* name) { return command == QLatin1String(name); });
    };
    const bool forPrune = command == QLatin1String("prune");
    if ((parser.isSet(jsonOption) && !isOneOf({"check", "history", "diff", "walk"})) ||
        (parser.isSet(asOption) && !isOneOf({"import", "restore"})) ||
        (parser.isSet(replaceOption) && !forImport) ||
        (parser.isSet(deletedOption) && command != QLatin1String("history")) ||
        (parser.isSet(keepOption) && !forPrune) ||
        ((parser.isSet(scaleOption) || parser.isSet(compareOption) || parser.isSet(walkOption)) &&
         command != QLatin1String("render")) ||
        (parser.isSet(outputOption) && command != QLatin1String("export") && command != QLatin1String("render")))
        return refuse(FormatMessage(1487, {command.isEmpty() ? QStringLiteral("korvel") : command}));
    json = parser.isSet(jsonOption);
    importReplace = parser.isSet(replaceOption);
    output = parser.value(outputOption);
    if (parser.isSet(asOption))
    {
        newId = parser.value(asOption).trimmed();
        if (newId.isNull())
            newId = QStringLiteral(""); // given, though empty: refused as an empty ID
    }
    deleted = parser.isSet(deletedOption);
    walk = parser.isSet(walkOption);
    if (forPrune) {
        bool ok = false;
        keep = parser.value(keepOption).trimmed().toInt(&ok);
        if (!ok || keep < 1)
            return refuse(LoadResString(2421));
    }
    if (parser.isSet(scaleOption)) {
        bool ok = false;
        scale = parser.value(scaleOption).toDouble(&ok);
        if (!ok || !(scale >= 0.05 && scale <= 20))
            return refuse(FormatMessage(1451, {parser.value(scaleOption)}));
    }
    if (parser.isSet(compareOption)) {
        bool ok = false;
        compareFrom = parser.value(compareOption).trimmed().toInt(&ok);
        if (!ok || compareFrom < 1)
            return refuse(FormatMessage(2071, {parser.value(compareOption)}));
    }

    database = parser.value(dbOption);
    // The staff ID is stored in the lock table and in the frames' CreatedBy and ModifiedBy columns;
    // one that does not fit would make every lock and every Save as fail.
    const bool userGiven = parser.isSet(userOption);
    user = userGiven ? parser.value(userOption).trimmed() : accountName();
    if (user.isEmpty())
        return refuse(LoadResString(2422));
    if (user.toUcs4().size() > kLongestId)
        return refuse(userGiven ? FormatMessage(2423, {QString::number(user.toUcs4().size()),
                                                       QString::number(kLongestId)})
                                : FormatMessage(2424, {user, QString::number(kLongestId)}));
    initDatabase = parser.isSet(initDbOption);
    screenshot = parser.value(screenshotOption);
    logFile = parser.value(logOption);
    checkDatabase = parser.isSet(checkDbOption);
    unlockFrame = parser.value(unlockOption).trimmed();
    if (parser.isSet(screenshotOption) && screenshot.isEmpty())
        return refuse(LoadResString(2425));
    if (parser.isSet(unlockOption) && (unlockFrame.isEmpty() || unlockFrame.toUcs4().size() > kLongestId))
        return refuse(FormatMessage(2426, {QString::number(kLongestId)}));
    if (parser.isSet(timeoutOption)) {
        bool ok = false;
        statementTimeout = parser.value(timeoutOption).trimmed().toInt(&ok);
        if (!ok || statementTimeout < 1 || statementTimeout > SessionSettings::kLongestStatementTimeout)
            return refuse(FormatMessage(2427, {QString::number(SessionSettings::kLongestStatementTimeout)}));
    }
    const int commands = int(initDatabase) + int(checkDatabase) + int(parser.isSet(unlockOption)) +
                         int(parser.isSet(screenshotOption)) + int(!command.isEmpty());
    if (commands > 1 && !command.isEmpty())
        return refuse(FormatMessage(1488, {command}));
    if (commands > 1)
        return refuse(LoadResString(2428));
    return Outcome::Run;
}

} // namespace korvel

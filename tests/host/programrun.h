#pragma once

// The korvel program of this build run as a process, and the helpers its tests share.

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace korvel {

using Args = QStringList;

struct ProgramRun {
    int exitCode = -1; // -1 also when it crashed or was still running after the time allowed
    QString out;
    QString err;

    // The lines korvel itself wrote on standard error (Qt's own warnings and korvel's left aside).
    QStringList ownErrorLines() const { return err.split(u'\n').filter(QRegularExpression("^korvel: (?!warn)")); }
};

// Runs the korvel program of this build (KORVEL_PROGRAM overrides) with a home folder of the test's own.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        ASSERT_TRUE(QFileInfo(m_program).isExecutable()) << "build the korvel program first";
        QDir().mkpath(path("run"));
        QFile::setPermissions(path("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QString path(const QString& name) const { return m_home.filePath(name); }

    // `headless`: as on a machine without a display, with no platform chosen either.
    QProcessEnvironment environment(bool headless = false) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(variable));
        if (!headless)
            environment.insert("QT_QPA_PLATFORM", "offscreen");
        for (const char* folder : {"data", "config"})
            environment.insert(QStringLiteral("XDG_%1_HOME").arg(QString(folder).toUpper()), path(folder));
        environment.insert("XDG_RUNTIME_DIR", path("run"));
        environment.insert("HOME", m_home.path());
        environment.insert("USER", "tester");
        if (!m_locale.isEmpty()) {
            environment.remove("LANGUAGE");
            for (const char* variable : {"LANG", "LC_ALL"})
                environment.insert(QString::fromLatin1(variable), m_locale);
        }
        return environment;
    }

    // A write past `fileSizeLimit` bytes fails as on a full disk.
    ProgramRun run(const Args& arguments, bool headless = false, int timeoutMs = 180000,
                   rlim_t fileSizeLimit = RLIM_INFINITY) const
    {
        QProcess process;
        process.setProcessEnvironment(environment(headless));
        process.setChildProcessModifier([fileSizeLimit] {
            const rlimit limit{fileSizeLimit, fileSizeLimit};
            setrlimit(RLIMIT_FSIZE, &limit);
            std::signal(SIGXFSZ, SIG_IGN); // write() then fails with EFBIG
        });
        process.start(m_program, arguments);
        ProgramRun result;
        if (process.waitForFinished(timeoutMs) && process.exitStatus() == QProcess::NormalExit)
            result.exitCode = process.exitCode();
        process.kill(); // when still running
        process.waitForFinished();
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

    QString initialised(const QString& name) const // by korvel --init-db
    {
        const QString file = path(name);
        EXPECT_EQ(run({"--db", file, "--init-db"}).exitCode, 0);
        return file;
    }

    QTemporaryDir m_home;
    QString m_locale; // LANG and LC_ALL of the runs, when not empty
    const QString m_program =
        qEnvironmentVariable("KORVEL_PROGRAM", QCoreApplication::applicationDirPath() + "/../host/korvel");
};

// Runs one statement on an SQLite file: the first value of its first row (-1 without one).
QVariant valueIn(const QString& sqliteFile, const QString& sql);
// A picture, not an empty canvas: many colours.
int colourCount(const QImage& image);
void writeFile(const QString& name, const QByteArray& bytes);
// Every file under a folder: its bytes and its modification time.
QMap<QString, QPair<QByteArray, QDateTime>> filesUnder(const QString& folder);

} // namespace korvel

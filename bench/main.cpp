// korvel_bench: measures the designer through its public operations on databases it generates.
// scripts/bench.sh builds and runs it; README.md ("Benchmark") explains the cases and the output.

#include "bench/livecases.h"
#include "bench/report.h"
#include "bench/runner.h"
#include "core/korvelerror.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QStandardPaths>
#include <QTextStream>
#include <algorithm>

namespace {

using namespace korvel::bench;

const char* const Usage = R"(usage: korvel_bench [OPTION...]

Generates SQLite databases (and PostgreSQL ones with --postgres), runs every case at every size in
child processes and prints a table of median time, statements sent, peak memory and the ratio to
the reference. Writes results.csv, results.md and results.png (log-log chart) into the output folder.

  --quick          smaller sizes, a minute's timeout per run: done in a few minutes
  --postgres       also on the PostgreSQL server named by KORVEL_TEST_PG
                   (scripts/with-test-postgres.sh starts one)
  --repeat N       runs per case and size (default 3; the median is reported)
  --timeout S      seconds one run may take (default 60 quick, 900 full); the runs of one size
                   also stop repeating once they took this long together
  --only ID,...    only these cases (see --list)
  --out FOLDER     where the files go (default: korvel-bench-results)
  --tag TEXT       what was measured, e.g. the commit, printed with the results
  --list           lists the cases and their sizes
)";

bool WriteFile(const QString& path, const QString& text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(text.toUtf8()) >= 0;
}

int Run(const QStringList& arguments)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    Options options;
    options.outputFolder = QStringLiteral("korvel-bench-results");
    bool list = false;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        const auto value = [&]() -> QString {
            if (i + 1 >= arguments.size())
                throw korvel::KorvelError(a + QStringLiteral(" needs a value"));
            return arguments[++i];
        };
        if (a == QLatin1String("--quick"))
            options.quick = true;
        else if (a == QLatin1String("--postgres"))
            options.backends = {Backend::SQLite, Backend::PostgreSQL};
        else if (a == QLatin1String("--repeat"))
            options.repeats = std::max(1, value().toInt());
        else if (a == QLatin1String("--timeout"))
            options.timeoutSeconds = std::max(1, value().toInt());
        else if (a == QLatin1String("--only"))
            options.only = value().split(QLatin1Char(','), Qt::SkipEmptyParts);
        else if (a == QLatin1String("--out"))
            options.outputFolder = value();
        else if (a == QLatin1String("--tag"))
            options.tag = value();
        else if (a == QLatin1String("--list"))
            list = true;
        else {
            err << Usage;
            return a == QLatin1String("--help") ? 0 : 2;
        }
    }
    if (options.timeoutSeconds == 0)
        options.timeoutSeconds = options.quick ? 60 : 900;
    if (list) {
        for (const CaseInfo& info : Cases(options.quick)) {
            QStringList sizes;
            for (const int size : info.sizes)
                sizes << QString::number(size);
            out << info.id << "\t" << info.title << " (" << info.sizeUnit << ": "
                << sizes.join(QLatin1Char(' ')) << ")\n";
        }
        return 0;
    }

    const QList<Result> results = RunAll(options);
    const QString table = ResultTable(results, options);
    out << "\n" << table << Qt::flush;

    QDir folder(options.outputFolder);
    if (!folder.mkpath(QStringLiteral(".")) ||
        !WriteFile(folder.filePath(QStringLiteral("results.csv")), ResultCsv(results)) ||
        !WriteFile(folder.filePath(QStringLiteral("results.md")), table)) {
        err << "korvel_bench: cannot write into " << options.outputFolder << Qt::endl;
        return 1;
    }
    QString chartError;
    const bool drawn =
        DrawChart(results, options, folder.filePath(QStringLiteral("results.png")), chartError);
    if (!drawn)
        err << "korvel_bench: no chart: " << chartError << Qt::endl;
    out << "\nWritten: " << QDir::toNativeSeparators(folder.absolutePath()) << "/results."
        << (drawn ? "{csv,md,png}" : "{csv,md}") << Qt::endl;

    for (const Result& r : results)
        if (!r.failure.isEmpty() && !r.failure.startsWith(QLatin1String("timed out")) &&
            !r.failure.startsWith(QLatin1String("not run")))
            return 1;
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // Windows are drawn without a display, and nothing of the user's own data folder is touched.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    try {
        if (arguments.value(1) == QLatin1String("--child") && arguments.size() >= 5)
            return RunChild(arguments[2], arguments[3].toInt(), arguments[4],
                            arguments.contains(QStringLiteral("--quick")));
        if (arguments.value(1) == QLatin1String("--saver") && arguments.size() >= 4)
            return RunSaver(arguments[2], arguments[3]);
        return Run(arguments);
    } catch (const std::exception& error) {
        QTextStream(stderr) << "korvel_bench: " << korvel::describe(error) << Qt::endl;
        return 1;
    }
}

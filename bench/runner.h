#pragma once

#include "bench/benchdb.h"
#include "bench/cases.h"

#include <QList>
#include <QString>

namespace korvel::bench {

// How the benchmark runs.
struct Options {
    bool quick = false;
    QList<Backend> backends{Backend::SQLite};
    int repeats = 3;
    // Seconds one run may take before it is stopped; the runs of one size also stop repeating once
    // they have taken this long together.
    int timeoutSeconds = 0;
    QStringList only; // case ids to run; empty for all
    QString outputFolder;
    QString tag; // the commit measured, printed with the results
};

// What the runs of one case at one size gave.
struct Result {
    CaseInfo info;
    Backend backend = Backend::SQLite;
    int size = 0;
    QList<double> milliseconds; // one per finished run
    qint64 statements = 0;      // of the last finished run
    qint64 peakKb = 0;          // the highest VmHWM of the runs
    qint64 rssGrowthKb = 0;     // of the last finished run
    qint64 fileBytes = 0;       // of the last finished run
    QString note;
    QString failure; // why this size has no (complete) result: a timeout, an error, a skip

    bool HasTime() const { return !milliseconds.isEmpty(); }
    double Median() const;
};

// Runs every case at every size `repeats` times, each run in a child process of this program
// (`--child CASE SIZE LOCATION`) on a fresh copy of its generated database, so that each run's
// peak memory is its own. A size that times out skips the larger sizes of its case.
QList<Result> RunAll(const Options& options);

// The child's side: opens the database, installs the add-in globals over a host object, runs the
// case once and prints its "RESULT ..." line. The exit status is 0 when the case ran.
int RunChild(const QString& caseId, int size, const QString& location, bool quick);

} // namespace korvel::bench

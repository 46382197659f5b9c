#pragma once

#include "bench/runner.h"

#include <QList>
#include <QString>

namespace korvel::bench {

// The results as a Markdown table (one row per case, database and size), with a heading naming the
// mode, the commit and the date.
QString ResultTable(const QList<Result>& results, const Options& options);

// The results as CSV, one line per case, database and size, every run's time included.
QString ResultCsv(const QList<Result>& results);

// Draws the median times against the sizes on log-log axes, one line per case and database, into
// a PNG file. False (with `error` set) when it cannot, e.g. in a build without Qt Charts.
bool DrawChart(const QList<Result>& results, const Options& options, const QString& pngFile, QString& error);

} // namespace korvel::bench

#include "bench/report.h"

#include <QDateTime>
#include <QLocale>
#include <QStringList>
#include <algorithm>
#include <cmath>

#ifdef KORVEL_BENCH_CHART
#include <QChart>
#include <QChartView>
#include <QLegend>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPen>
#include <QPixmap>
#endif

namespace korvel::bench {
namespace {

// A time with three significant digits in s, ms or µs.
QString FormatTime(double ms)
{
    if (ms >= 1000)
        return QString::number(ms / 1000, 'g', 3) + QStringLiteral(" s");
    if (ms >= 1)
        return QString::number(ms, 'g', 3) + QStringLiteral(" ms");
    return QString::number(ms * 1000, 'g', 3) + QStringLiteral(" µs");
}

QString FormatMb(qint64 kb)
{
    return QString::number(static_cast<double>(kb) / 1024, 'f', 1);
}

// The reference's median time divided by this result's, or 0 when there is nothing to compare.
double ReferenceRatio(const Result& result, const QList<Result>& all)
{
    if (result.info.reference.isEmpty() || !result.HasTime())
        return 0;
    for (const Result& other : all)
        if (other.backend == result.backend && other.info.id == result.info.reference &&
            other.size == result.size && other.HasTime())
            return other.Median() / result.Median();
    return 0;
}

// How the case's median time grows on the result's database: the slope of log time against log
// size from the smallest to the largest size it was timed at (1: in proportion to the size, 2: with
// its square). False when fewer than two sizes have a time.
struct Growth {
    int from = 0, to = 0;
    double slope = 0;
};
bool GrowthOf(const Result& result, const QList<Result>& all, Growth& growth)
{
    const Result* smallest = nullptr;
    const Result* largest = nullptr;
    for (const Result& other : all) {
        if (other.backend != result.backend || other.info.id != result.info.id || !other.HasTime() ||
            other.Median() <= 0)
            continue;
        if (!smallest || other.size < smallest->size)
            smallest = &other;
        if (!largest || other.size > largest->size)
            largest = &other;
    }
    if (!smallest || smallest->size == largest->size)
        return false;
    growth.from = smallest->size;
    growth.to = largest->size;
    growth.slope = std::log(largest->Median() / smallest->Median()) /
                   std::log(static_cast<double>(largest->size) / smallest->size);
    return true;
}

#ifdef KORVEL_BENCH_CHART
// The case's position among the cases that are no reference, for its colour.
int CaseIndex(const QString& id)
{
    int index = 0;
    for (const CaseInfo& info : Cases(false)) {
        if (info.id == id)
            return index;
        if (!info.id.endsWith(QLatin1String("-ref")))
            ++index;
    }
    return index;
}
#endif

QString CsvField(QString text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')))
        return text;
    return QLatin1Char('"') + text.replace(QLatin1String("\""), QLatin1String("\"\"")) + QLatin1Char('"');
}

} // namespace

QString ResultTable(const QList<Result>& results, const Options& options)
{
    QStringList lines;
    lines << QStringLiteral("Korvel benchmark, %1 mode, %2, %3, median of up to %4 runs")
                 .arg(options.quick ? QStringLiteral("quick") : QStringLiteral("full"),
                      options.tag.isEmpty() ? QStringLiteral("commit not given") : options.tag,
                      QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")))
                 .arg(options.repeats);
    lines << QString();
    lines << QStringLiteral(
        "| db | case | size | runs | median | statements | peak MB | RSS +MB | per item | "
        "ref ÷ this | note |");
    lines << QStringLiteral("|---|---|--:|--:|--:|--:|--:|--:|--:|--:|---|");
    for (const Result& r : results) {
        QStringList cells{BackendName(r.backend), r.info.title,
                          QLocale(QLocale::English).toString(r.size) + QLatin1Char(' ') + r.info.sizeUnit,
                          QString::number(r.milliseconds.size())};
        if (r.HasTime()) {
            const double median = r.Median();
            const int per = r.info.PerCount(r.size);
            const double ratio = ReferenceRatio(r, results);
            cells << FormatTime(median) << QString::number(r.statements) << FormatMb(r.peakKb)
                  << FormatMb(r.rssGrowthKb)
                  << (r.info.perUnit.isEmpty() || per <= 0
                          ? QStringLiteral("–")
                          : FormatTime(median / per) + QLatin1Char('/') + r.info.perUnit)
                  << (ratio > 0 ? QString::number(ratio, 'g', 3) + QStringLiteral("×") : QStringLiteral("–"));
        } else {
            cells << QStringLiteral("–") << QStringLiteral("–") << QStringLiteral("–") << QStringLiteral("–")
                  << QStringLiteral("–") << QStringLiteral("–");
        }
        QString note = r.note;
        if (!r.failure.isEmpty())
            note = note.isEmpty() ? r.failure : note + QStringLiteral("; then ") + r.failure;
        cells << note.replace(QLatin1Char('|'), QLatin1Char('/'));
        lines << QStringLiteral("| ") + cells.join(QStringLiteral(" | ")) + QStringLiteral(" |");
    }

    lines << QString()
          << QStringLiteral(
                 "Growth: the slope of log(median time) against log(size) from the smallest to the "
                 "largest size timed (1: in proportion to the size, 2: with its square).")
          << QString() << QStringLiteral("| db | case | sizes | slope |")
          << QStringLiteral("|---|---|---|--:|");
    QStringList done;
    for (const Result& r : results) {
        const QString key = BackendName(r.backend) + QLatin1Char(':') + r.info.id;
        Growth growth;
        if (done.contains(key) || !GrowthOf(r, results, growth))
            continue;
        done << key;
        const QLocale english(QLocale::English);
        lines << QStringLiteral("| %1 | %2 | %3–%4 %5 | %6 |")
                     .arg(BackendName(r.backend), r.info.title, english.toString(growth.from),
                          english.toString(growth.to), r.info.sizeUnit,
                          QString::number(growth.slope, 'f', 2));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString ResultCsv(const QList<Result>& results)
{
    QStringList lines{QStringLiteral(
        "db,case,title,size,size_unit,runs,median_ms,run_ms,statements,peak_kb,"
        "rss_growth_kb,file_bytes,per_unit,per_unit_ms,reference,reference_ratio,slope,failure,note")};
    for (const Result& r : results) {
        QStringList runs;
        for (const double ms : r.milliseconds)
            runs << QString::number(ms, 'f', 3);
        const int per = r.info.PerCount(r.size);
        const bool timed = r.HasTime();
        const double ratio = ReferenceRatio(r, results);
        Growth growth;
        const bool grows = GrowthOf(r, results, growth);
        QStringList fields{BackendName(r.backend),
                           r.info.id,
                           r.info.title,
                           QString::number(r.size),
                           r.info.sizeUnit,
                           QString::number(r.milliseconds.size()),
                           timed ? QString::number(r.Median(), 'f', 3) : QString(),
                           runs.join(QLatin1Char(' ')),
                           timed ? QString::number(r.statements) : QString(),
                           timed ? QString::number(r.peakKb) : QString(),
                           timed ? QString::number(r.rssGrowthKb) : QString(),
                           timed && r.fileBytes > 0 ? QString::number(r.fileBytes) : QString(),
                           r.info.perUnit,
                           timed && !r.info.perUnit.isEmpty() && per > 0
                               ? QString::number(r.Median() / per, 'g', 4)
                               : QString(),
                           r.info.reference,
                           ratio > 0 ? QString::number(ratio, 'g', 4) : QString(),
                           grows ? QString::number(growth.slope, 'f', 3) : QString(),
                           r.failure,
                           r.note};
        for (QString& field : fields)
            field = CsvField(field);
        lines << fields.join(QLatin1Char(','));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

bool DrawChart(const QList<Result>& results, const Options& options, const QString& pngFile, QString& error)
{
#ifdef KORVEL_BENCH_CHART
    auto* chart = new QChart;
    chart->setTitle(QStringLiteral("Korvel benchmark (%1 mode, %2): median time against size")
                        .arg(options.quick ? QStringLiteral("quick") : QStringLiteral("full"),
                             options.tag.isEmpty() ? QStringLiteral("commit not given") : options.tag));
    auto* xAxis = new QLogValueAxis;
    xAxis->setTitleText(QStringLiteral("size (step rows, frames or steps, as in the legend)"));
    xAxis->setLabelFormat(QStringLiteral("%g"));
    auto* yAxis = new QLogValueAxis;
    yAxis->setTitleText(QStringLiteral("median time (ms)"));
    yAxis->setLabelFormat(QStringLiteral("%g"));
    chart->addAxis(xAxis, Qt::AlignBottom);
    chart->addAxis(yAxis, Qt::AlignLeft);

    double minX = 1e12, maxX = 0, minY = 1e12, maxY = 0;
    QLineSeries* series = nullptr;
    QString current;
    for (const Result& r : results) {
        if (!r.HasTime() || r.info.operation == Operation::Memory)
            continue; // the memory case's time is the open case's again
        const QString key = BackendName(r.backend) + QLatin1Char(':') + r.info.id;
        if (key != current) {
            current = key;
            series = new QLineSeries;
            series->setName(
                QStringLiteral("%1: %2 [%3]").arg(BackendName(r.backend), r.info.title, r.info.sizeUnit));
            series->setPointsVisible(true);
            // Each case keeps its colour on both databases, and its reference shares it; PostgreSQL's
            // lines are dashed, the references' dotted.
            const bool reference = r.info.id.endsWith(QLatin1String("-ref"));
            // Hues 137° apart (the golden angle) keep neighbouring cases apart however many there are.
            const int index = CaseIndex(reference ? r.info.id.chopped(4) : r.info.id);
            QPen pen(QColor::fromHsv((index * 137) % 360, 220, 200));
            pen.setWidth(2);
            if (reference)
                pen.setStyle(Qt::DotLine);
            else if (r.backend == Backend::PostgreSQL)
                pen.setStyle(Qt::DashLine);
            series->setPen(pen);
            chart->addSeries(series);
            series->attachAxis(xAxis);
            series->attachAxis(yAxis);
        }
        const double ms = std::max(r.Median(), 1e-3);
        series->append(r.size, ms);
        minX = std::min(minX, double(r.size));
        maxX = std::max(maxX, double(r.size));
        minY = std::min(minY, ms);
        maxY = std::max(maxY, ms);
    }
    if (!series) {
        error = QStringLiteral("no result to draw");
        delete chart;
        return false;
    }
    xAxis->setRange(minX / 1.5, maxX * 1.5);
    yAxis->setRange(std::pow(10, std::floor(std::log10(minY))),
                    std::pow(10, std::ceil(std::log10(maxY * 1.01))));
    chart->legend()->setAlignment(Qt::AlignRight);

    QChartView view(chart); // owns the chart
    view.setRenderHint(QPainter::Antialiasing);
    view.resize(1600, 1100); // room for a legend line per case and database
    if (!view.grab().save(pngFile)) {
        error = QStringLiteral("cannot write ") + pngFile;
        return false;
    }
    return true;
#else
    Q_UNUSED(results);
    Q_UNUSED(options);
    Q_UNUSED(pngFile);
    error = QStringLiteral("built without Qt Charts (install qt6-charts-dev)");
    return false;
#endif
}

} // namespace korvel::bench

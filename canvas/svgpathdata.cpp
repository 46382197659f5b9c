#include "canvas/svgpathdata.h"

#include <QList>
#include <cctype>
#include <cmath>

namespace korvel {
namespace {

// A difference of two numbers of the generator's precision, to as many digits as it has.
QByteArray Number(double value)
{
    return std::abs(value) < 1e-9 ? QByteArray("0") : QByteArray::number(value, 'g', 10);
}

} // namespace

QByteArray RelativePathData(const QByteArray& d)
{
    QByteArray result;
    result.reserve(d.size());
    double x = 0, y = 0; // the current point, as written
    qsizetype at = 0;
    for (bool first = true;; first = false) {
        while (at < d.size() && d.at(at) == ' ')
            ++at;
        if (at == d.size())
            return result;
        const char command = d.at(at++);
        const qsizetype pairs = command == 'C' ? 3 : command == 'M' || command == 'L' ? 1 : 0;
        QList<double> numbers;
        for (;;) {
            while (at < d.size() && (d.at(at) == ' ' || d.at(at) == ','))
                ++at;
            qsizetype end = at;
            while (end < d.size() &&
                   (std::isdigit(static_cast<unsigned char>(d.at(end))) || d.at(end) == '.' ||
                    d.at(end) == '-' || d.at(end) == 'e' || d.at(end) == '+'))
                ++end;
            if (end == at)
                break;
            bool ok = false;
            numbers.append(d.mid(at, end - at).toDouble(&ok));
            if (!ok)
                return d;
            at = end;
        }
        if (pairs == 0 || numbers.isEmpty() || numbers.size() % (2 * pairs) != 0)
            return d;
        if (!result.isEmpty())
            result += ' ';
        if (first) {
            // The path starts where it says; its later points follow from this one.
            result += 'M' + Number(numbers.at(0)) + ',' + Number(numbers.at(1));
            x = numbers.at(0);
            y = numbers.at(1);
            numbers.remove(0, 2);
            if (numbers.isEmpty())
                continue;
            result += ' ';
        }
        result += char(command == 'M' && !first ? 'm' : command == 'C' ? 'c' : 'l');
        for (qsizetype i = 0; i < numbers.size(); i += 2 * pairs) {
            for (qsizetype p = 0; p < pairs; ++p)
                result += (i + p > 0 ? " " : "") + Number(numbers.at(i + 2 * p) - x) + ',' +
                          Number(numbers.at(i + 2 * p + 1) - y);
            x = numbers.at(i + 2 * pairs - 2);
            y = numbers.at(i + 2 * pairs - 1);
        }
    }
}

} // namespace korvel

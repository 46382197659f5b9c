#pragma once

#include "bench/cases.h"

#include <QElapsedTimer>
#include <QString>

namespace korvel::bench {

// Time, statements and resident memory from Start to Stop.
class Probe final {
public:
    void Start();
    Measurement Stop(QString note = {}) const;

private:
    QElapsedTimer m_timer;
    qint64 m_statements = 0;
    qint64 m_rss = 0;
};

// Throws KorvelError(failure) unless `condition` holds: a case whose result is not what the
// generated data makes certain has measured something else.
void Check(bool condition, const QString& failure);

} // namespace korvel::bench

#pragma once

#include <QByteArray>

namespace korvel {

// The path data `d` as QSvgGenerator writes it (absolute M, L and C commands) with every command
// after the first moved relative to the point before it: the same path in shorter numbers.
// Other path data is returned as it is.
QByteArray RelativePathData(const QByteArray& d);

} // namespace korvel

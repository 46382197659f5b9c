#pragma once

#include "model/frameformat.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <map>
#include <set>

namespace korvel {

// The frame file's text written straight from the records: the same bytes QJsonDocument writes for
// the same objects (members in the order of their names, Qt's escapes, numbers and indentation of
// four blanks), without building the objects first, which costs ten times as much. A version of a
// large frame is written while its save runs. Steps come in the order of their IDs and links in the
// order of their codes, whatever order the records keep.
// With `sink`, the text goes to it in pieces of about 64 KiB instead and the result is empty.
QByteArray WriteFrameFileText(const QList<const FrameRecord*>& frames, const std::map<QString, std::set<QString>>& lookups,
                              bool compact, const std::function<void(QByteArrayView)>& sink = {});

} // namespace korvel

#pragma once

#include <QList>
#include <QString>
#include <utility>

namespace korvel {

class cWorder;

// Every live step from which `stepID` is reached along live links, each once, as (name, ID), in the
// order a depth-first backward search meets them: from a step, the fathers of its live links in
// link order, each searched in full before the next. The step itself is never listed, even when a
// cycle leads back to it; a father that is no live step is passed over. The links are indexed by
// son once, so a flow of thousands of steps is listed in one pass over its links.
QList<std::pair<QString, QString>> UpstreamSteps(cWorder& frame, const QString& stepID);

} // namespace korvel

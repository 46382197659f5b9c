#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace korvel {

class cWorder;

// What a finding is about: the frame as a whole (its header), one step, or one link.
enum class FindingItem { Frame, Step, Link };
enum class FindingSeverity { Error, Warning };

// One problem of a flow. The message is a string-table id whose "%1", "%2", ... take the arguments.
struct FlowFinding {
    FindingSeverity severity = FindingSeverity::Error;
    FindingItem item = FindingItem::Frame;
    QString key; // frame ID, step ID or link code
    qint32 messageId = 0;
    QStringList arguments;

    // The message in the interface language.
    QString text() const;
    // "error" / "warning" in the interface language.
    QString severityText() const;
    bool operator==(const FlowFinding&) const = default;
};

// Checks the frame's flow as it stands in memory (only live steps and links count; deleted ones
// are ignored). Errors: steps Start cannot reach, steps from which End cannot be reached, no path
// from Start to End, a link or return step naming a step not in the frame, links that break the
// Start and End rules (more than one link leaving Start, more than one link from one step into
// End, a link into Start or out of End). Warnings: a step with no handler (no staff member, role
// group, multiple handlers or return step), a conditional link without a complete condition, one
// whose condition can never hold because its value cannot be compared as its operator needs (not a
// number for an ordering operator, or an operator the link dialog does not offer; the rules of
// model/linkcondition.h), two conditional links out of one step with the same condition, a time
// limit of 0 (frame or step).
// Findings come errors and warnings mixed, in the order of the frame's steps and links.
QList<FlowFinding> CheckFlow(cWorder& frame);

// String-table text `messageId` with "%1" ... "%4" replaced by the arguments, all at once.
QString FormatMessage(qint32 messageId, const QStringList& arguments);

// True when one of the findings is an error.
bool HasErrors(const QList<FlowFinding>& findings);

} // namespace korvel

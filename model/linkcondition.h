#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace korvel {

class cLink;

// The one set of rules by which a conditional link opens: the flow check, the path walk and the
// window's path preview all use it. A condition is the link's variable (AddinVariant), operator
// (CompareType, one of the link dialog's ">", ">=", "=", "<", "<=") and value (VariantValue).
// Both sides are compared trimmed: as numbers when both read as numbers, otherwise as texts
// (exactly, letter case counting). Ordering operators need a number on the link's side; "=" takes
// any text.

// The operators the link dialog offers, in its order.
const QStringList& ConditionOperators();

// The number a text reads as: trimmed, in the C locale ("600", "-1.5", "1e3"); none otherwise
// (empty, "abc", "1,5", "inf", "nan").
std::optional<double> ConditionNumber(const QString& text);

// Why a condition cannot be evaluated as its operator needs.
enum class ConditionFault {
    None,
    Incomplete,      // variable, operator or value empty
    UnknownOperator, // not one of ConditionOperators()
    NotANumber,      // an ordering operator with a value that does not read as a number
};
ConditionFault CheckCondition(const QString& variable, const QString& op, const QString& operand);

// Whether `value` (the work order's) meets "op operand" (the link's). False for a condition with a
// fault, and for an ordering operator when `value` does not read as a number.
bool ConditionHolds(const QString& value, const QString& op, const QString& operand);

// The variable names are compared trimmed, letter case ignored: "Amount" and " amount" are one.
QString VariableKey(const QString& name);

} // namespace korvel

#include "model/linkcondition.h"

#include <QLocale>
#include <cmath>

namespace korvel {
namespace {

const QString Equal = QStringLiteral("=");

// The fault of "op operand" alone (the variable aside), both trimmed.
ConditionFault OperatorFault(const QString& op, const QString& operand)
{
    if (op.isEmpty() || operand.isEmpty())
        return ConditionFault::Incomplete;
    if (!ConditionOperators().contains(op))
        return ConditionFault::UnknownOperator;
    if (op != Equal && !ConditionNumber(operand))
        return ConditionFault::NotANumber;
    return ConditionFault::None;
}

} // namespace

const QStringList& ConditionOperators()
{
    static const QStringList operators = {QStringLiteral(">"), QStringLiteral(">="), Equal,
                                          QStringLiteral("<"), QStringLiteral("<=")};
    return operators;
}

std::optional<double> ConditionNumber(const QString& text)
{
    // The C locale reads "1.5" and "1e3" the same for every user; without group separators "1,5"
    // and "1,500" are no numbers rather than 15 or 1500.
    static const QLocale c = [] {
        QLocale locale = QLocale::c();
        locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
        return locale;
    }();
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double number = c.toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(number))
        return std::nullopt;
    return number;
}

ConditionFault CheckCondition(const QString& variable, const QString& op, const QString& operand)
{
    if (variable.trimmed().isEmpty())
        return ConditionFault::Incomplete;
    return OperatorFault(op.trimmed(), operand.trimmed());
}

bool ConditionHolds(const QString& value, const QString& op, const QString& operand)
{
    const QString theOp = op.trimmed(), theOperand = operand.trimmed();
    if (OperatorFault(theOp, theOperand) != ConditionFault::None)
        return false;
    const std::optional<double> right = ConditionNumber(theOperand);
    const std::optional<double> left = ConditionNumber(value);
    if (!left || !right)
        return theOp == Equal && value.trimmed() == theOperand;
    if (theOp == Equal)
        return *left == *right;
    if (theOp == QLatin1String(">"))
        return *left > *right;
    if (theOp == QLatin1String(">="))
        return *left >= *right;
    if (theOp == QLatin1String("<"))
        return *left < *right;
    return *left <= *right;
}

QString VariableKey(const QString& name)
{
    return name.trimmed().toCaseFolded();
}

} // namespace korvel

#include "dialogs/numerictextbox.h"

#include "core/leadingnumber.h"

namespace korvel {

NumericTextBox::NumericTextBox(QWidget* parent) : QLineEdit(parent) {}

double NumericTextBox::Number() const
{
    return LeadingNumber(text());
}

qint32 NumericTextBox::WholeNumber() const
{
    return LeadingWholeNumber(text());
}

} // namespace korvel

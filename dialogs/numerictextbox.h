#pragma once

#include <QLineEdit>
#include <QtGlobal>

namespace korvel {

// A text box whose text is read as a number by the leading-number rule: the number at the start
// of the text, 0 when there is none ("12 days" is 12, "" and "abc" are 0). The user may type
// anything; only the reading is numeric.
class NumericTextBox final : public QLineEdit {
    Q_OBJECT
public:
    explicit NumericTextBox(QWidget* parent = nullptr);

    double Number() const;
    // Number() rounded to a whole number (halves away from zero).
    qint32 WholeNumber() const;
};

} // namespace korvel

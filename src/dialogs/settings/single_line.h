// Keeps line breaks out of a one-line field: a pasted CR, LF or NUL would end the value's line in
// the settings file (or make the file unreadable), and the next start would refuse the file.
#pragma once

#include <QValidator>

class QLineEdit;

// Drops CR, LF and NUL wherever they come from (typing, pasting, dropping) and accepts the rest.
class SingleLineValidator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

// Gives field a SingleLineValidator of its own.
void KeepSingleLine(QLineEdit& field);

#include "single_line.h"

#include <QLineEdit>

QValidator::State SingleLineValidator::validate(QString& input, int& pos) const
{
    for (qsizetype i = input.size(); i-- > 0;) {
        const QChar c = input.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c.isNull()) {
            input.remove(i, 1);
            if (i < pos)
                --pos;
        }
    }
    return Acceptable;
}

void KeepSingleLine(QLineEdit& field) { field.setValidator(new SingleLineValidator(&field)); }

#include "locale_numbers.h"

#include <QString>

char DecimalSeparator(const QLocale& locale)
{
    const QString separator = locale.decimalPoint();
    if (separator.size() == 1 && separator.at(0).unicode() < 0x80)
        return static_cast<char>(separator.at(0).unicode());
    return '.';
}

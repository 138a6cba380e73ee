// The user's locale as the settings dialog's numeric test and number display see it.
#pragma once

#include <QLocale>

// The locale's decimal separator as one byte; "." where the locale's separator is not a single
// ASCII character (the numeric test then still accepts ".").
char DecimalSeparator(const QLocale& locale);

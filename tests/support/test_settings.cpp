#include "test_settings.h"

#include "settings/settings_file.h"

QByteArray TestSettingsBytes(const QString& printer, const QString& spoolFolder, const QString& pattern, int interval,
                             const QString& logoFile)
{
    Settings s;
    s.PrinterName = printer.toStdString();
    s.FontName = "Courier New";
    s.FontSize = 10;
    s.PollInterval = interval;
    s.LeftMargin = 0.8;
    s.SpoolFolder = spoolFolder.toStdString();
    s.SpoolFileName = pattern.toStdString();
    s.LogoFile = logoFile.toStdString();
    return QByteArray::fromStdString(SettingsFileBytes(s, Rules{}));
}

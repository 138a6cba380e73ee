// The bytes of an Orvalin.ini for a test: the given printer, watched folder and name, poll
// interval and logo file; everything else at its default.
#pragma once

#include <QByteArray>
#include <QString>

QByteArray TestSettingsBytes(const QString& printer, const QString& spoolFolder, const QString& pattern, int interval,
                             const QString& logoFile = {});

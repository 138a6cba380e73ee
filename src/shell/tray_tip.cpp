#include "tray_tip.h"

#include "platform/code_pages.h"

QString TrayTipText(const std::string& folder, const std::string& fileName)
{
    const QString tip = QStringLiteral("Orvalinó (") + FromAnsi(folder + fileName) + QLatin1Char(')');
    return tip.left(TrayTipMaxCharacters);
}

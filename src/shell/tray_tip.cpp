#include "tray_tip.h"

#include "platform/code_pages.h"

QString TrayTipText(const std::string& folder, const std::string& fileName)
{
    const QString tip = QStringLiteral("Orvalinó (") + QString::fromStdString(AnsiCodePage().ToUtf8(folder + fileName))
        + QLatin1Char(')');
    return tip.left(TrayTipMaxCharacters);
}

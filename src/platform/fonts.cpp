#include "fonts.h"

#include "code_pages.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

#include <algorithm>

std::string DefaultFontFamily()
{
    const QString wanted = QStringLiteral("Courier New");
    if (QFontDatabase::families().contains(wanted))
        return AnsiCodePage().FromUtf8(wanted.toStdString());
    QFont font(wanted);
    font.setStyleHint(QFont::TypeWriter);
    return AnsiCodePage().FromUtf8(QFontInfo(font).family().toStdString());
}

std::vector<std::string> FontFamilies()
{
    std::vector<std::string> families;
    for (const QString& family : QFontDatabase::families())
        families.push_back(AnsiCodePage().FromUtf8(family.toStdString()));
    std::sort(families.begin(), families.end());
    families.erase(std::unique(families.begin(), families.end()), families.end());
    return families;
}

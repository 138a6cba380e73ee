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
        return ToAnsi(wanted);
    QFont font(wanted);
    font.setStyleHint(QFont::TypeWriter);
    return ToAnsi(QFontInfo(font).family());
}

std::vector<std::string> FontFamilies()
{
    std::vector<std::string> families;
    for (const QString& family : QFontDatabase::families())
        families.push_back(ToAnsi(family));
    std::sort(families.begin(), families.end());
    families.erase(std::unique(families.begin(), families.end()), families.end());
    return families;
}

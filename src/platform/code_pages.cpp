#include "code_pages.h"

#include <QLocale>

namespace {

struct Selected {
    const CodePage* ansi = nullptr;
    const CodePage* oem = nullptr;
};

Selected& Current()
{
    static Selected selected = [] {
        const QString name = QLocale::system().name(); // "hu_HU"
        const CodePageNames names = CodePagesForLanguage(name.section('_', 0, 0).toStdString());
        return Selected{&CodePage::Get(names.Ansi), &CodePage::Get(names.Oem)};
    }();
    return selected;
}

} // namespace

const CodePage& AnsiCodePage() { return *Current().ansi; }
const CodePage& OemCodePage() { return *Current().oem; }

void SelectCodePages(const CodePageNames& names)
{
    Current() = Selected{&CodePage::Get(names.Ansi), &CodePage::Get(names.Oem)};
}

QString FromAnsi(const std::string& text) { return QString::fromStdString(AnsiCodePage().ToUtf8(text)); }

std::string ToAnsi(const QString& text) { return AnsiCodePage().FromUtf8(text.toStdString()); }

bool AnsiCanHold(const QString& text)
{
    const std::string utf8 = text.toStdString();
    return AnsiCodePage().ToUtf8(AnsiCodePage().FromUtf8(utf8)) == utf8;
}

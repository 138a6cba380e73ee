#include "code_pages.h"

#include "code_page_table.h"
#include "common/errors.h"

#include <QLocale>
#include <QRegularExpression>

#include <map>
#include <memory>
#include <mutex>

const CodePage& CodePageNamed(const std::string& name)
{
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<CodePage>> pages;
    std::lock_guard lock(mutex);
    auto& slot = pages[name];
    if (!slot) {
        std::array<char32_t, 256> table{};
        if (CodePageTable(name, table)) {
            slot = std::make_unique<CodePage>(name, table);
        } else {
            CodePageTable("CP437", table);
            slot = std::make_unique<CodePage>("CP437", table);
        }
    }
    return *slot;
}

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
        return Selected{&CodePageNamed(names.Ansi), &CodePageNamed(names.Oem)};
    }();
    return selected;
}

} // namespace

const CodePage& AnsiCodePage() { return *Current().ansi; }
const CodePage& OemCodePage() { return *Current().oem; }

void SelectCodePages(const CodePageNames& names)
{
    Current() = Selected{&CodePageNamed(names.Ansi), &CodePageNamed(names.Oem)};
}

QString FromAnsi(const std::string& text) { return QString::fromStdString(AnsiCodePage().ToUtf8(text)); }

std::string ToAnsi(const QString& text) { return AnsiCodePage().FromUtf8(text.toStdString()); }

bool AnsiCanHold(const QString& text)
{
    const std::string utf8 = text.toStdString();
    return AnsiCodePage().ToUtf8(AnsiCodePage().FromUtf8(utf8)) == utf8;
}

CodePageNames ParseCodePageList(const std::string& text)
{
    static const QRegularExpression form(QStringLiteral("^\\s*(\\d{3,5})\\s*,\\s*(\\d{3,5})\\s*$"));
    const QRegularExpressionMatch match = form.match(QString::fromStdString(text));
    const std::string usage = "ORVALIN_CODEPAGES is \"" + text
                              + "\"; it must name two code pages by number, the settings file's and then the spool "
                                "files', as in \"1250,852\".";
    if (!match.hasMatch())
        throw OrvalinError(usage);
    CodePageNames names{"CP" + match.captured(1).toStdString(), "CP" + match.captured(2).toStdString()};
    // Made here once and kept: selecting the pages afterwards builds no table again. A page this
    // system cannot convert comes back as the CP437 stand-in.
    for (const std::string& name : {names.Ansi, names.Oem}) {
        if (CodePageNamed(name).Name() != name)
            throw OrvalinError(usage + " This system does not know the code page " + name.substr(2) + ".");
    }
    return names;
}

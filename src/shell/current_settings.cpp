#include "current_settings.h"

#include "platform/code_pages.h"
#include "platform/fonts.h"
#include "platform/paths.h"
#include "platform/program_folder.h"
#include "settings/settings_file.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

namespace {

std::string DefaultSpoolFolder(bool warn)
{
    const QString folder = QDir::homePath() + QStringLiteral("/Spool/");
    // Stored as "?" the folder would not exist: say so now, and what to do about it.
    if (warn && !AnsiCanHold(folder))
        std::fprintf(stderr,
                     "The default spool folder %s cannot be written in the settings file's code page %s, so Orvalin "
                     "would watch a folder that does not exist. Choose another spool folder in the settings dialog "
                     "(\"Beállítások\"), or name the code pages in ORVALIN_CODEPAGES (for example 1250,852).\n",
                     folder.toLocal8Bit().constData(), AnsiCodePage().Name().c_str());
    return ToAnsi(folder);
}

} // namespace

std::filesystem::path CurrentSettingsFile() { return SettingsFolderFor(ProgramFolder()) / SettingsFileName; }

void LoadCurrentSettings(Global& global, std::function<std::string()> defaultPrinterName, bool warn)
{
    SettingsEnvironment env;
    env.MakeDefaults = [defaultPrinterName = std::move(defaultPrinterName), warn] {
        return SettingsDefaults{defaultPrinterName(), DefaultFontFamily(), DefaultSpoolFolder(warn)};
    };
    env.FileExists = [](const std::string& path) { return IsRegularFile(PathFromAnsi(path)); }; // a link is followed
    env.ProcessEvents = [] { QCoreApplication::processEvents(); };
    LoadSettings(global.SettingsFile, global.settings, global.rules, env);
}

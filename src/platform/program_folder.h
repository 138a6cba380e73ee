// Where the program lives and where its settings file goes.
#pragma once

#include <filesystem>
#include <string>

// The folder of the running executable, and its name without folder.
std::filesystem::path ProgramFolder();
std::string ExecutableName();

// The program's folder when it is writable (a portable install) and not under /usr; otherwise the
// per-user configuration folder ~/.config/orvalin, created when missing.
std::filesystem::path SettingsFolderFor(const std::filesystem::path& programFolder);

// Where the built-in PDF printer files its documents: the folder "PDF" beside the settings in a
// portable install (settings in the program's folder), otherwise the user's documents folder,
// sub-folder "Orvalin", so that an installed program never files documents among its settings.
std::filesystem::path PdfFolderFor(const std::filesystem::path& settingsFolder,
                                   const std::filesystem::path& programFolder);

// Where the program lives and where its settings file goes.
#pragma once

#include <filesystem>
#include <string>

// The folder of the running executable, and its name without folder.
std::filesystem::path ProgramFolder();
std::string ExecutableName();

// The program's folder when it is writable (a portable install); otherwise the per-user
// configuration folder ~/.config/orvalin, created when missing.
std::filesystem::path SettingsFolderFor(const std::filesystem::path& programFolder);

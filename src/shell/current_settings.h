// How a start finds and loads the settings: the start of the program and "--explain" alike.
#pragma once

#include "settings/global.h"

#include <filesystem>
#include <functional>
#include <string>

// The settings file: in the program's folder when that is writable, otherwise the per-user one.
std::filesystem::path CurrentSettingsFile();

// Loads global.SettingsFile into global.settings and global.rules; a missing file is written with
// the defaults (defaultPrinterName(), the installed stand-in for "Courier New", the home folder's
// "Spool/"). With warn, a default spool folder that the settings file's code page cannot hold is
// reported on standard error. Throws what LoadSettings throws.
void LoadCurrentSettings(Global& global, std::function<std::string()> defaultPrinterName, bool warn);

// What the XDG implementation of the automatic-start entry writes, and where: open to the tests.
// Compiled only where autostart_xdg.cpp is.
#pragma once

#include "autostart.h"

#include <filesystem>
#include <string>

// The first word the logon start passes: any word with a lower-case letter starts the tray/polling
// mode, so the program started at logon watches the folder.
inline constexpr char AutoStartModeWord[] = "tray";

// Where the entry lives: the autostart folder of the user's configuration folder (XDG_CONFIG_HOME,
// else ~/.config). Empty when the user has no configuration folder.
std::filesystem::path AutoStartFile(const AutoStartEntry& entry);

// The file's content; the Exec line names the program, quoted and escaped as desktop entries want,
// followed by AutoStartModeWord.
std::string DesktopEntryText(const AutoStartEntry& entry);

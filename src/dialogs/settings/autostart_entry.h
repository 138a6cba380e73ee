// The program's entry in the list of programs the desktop starts at logon. On Linux an XDG
// autostart file (~/.config/autostart/<name>.desktop); on Windows the Run value under
// HKEY_LOCAL_MACHINE. One implementation is compiled, chosen in CMake.
#pragma once

#include <filesystem>
#include <string>

struct AutoStartEntry {
    std::string Name;    // the executable file name without its extension (UTF-8)
    std::string Command; // the program's path, the entry's data (UTF-8)
};

#ifndef _WIN32
// The first word the logon start passes: any word with a lower-case letter starts the tray/polling
// mode, so the program started at logon watches the folder.
inline constexpr char AutoStartModeWord[] = "tray";
#endif

// The entry of the running program.
AutoStartEntry ProgramAutoStartEntry();

// Whether the entry exists and can be read: the settings dialog's AutoStartAtLoad. What it starts
// is not looked at, so an entry written by an earlier version, or edited by hand, counts.
bool ReadAutoStartEntry(const AutoStartEntry& entry);

// Add and remove the entry. Nothing is reported to the user: the dialog shows the real state the
// next time it opens. The result says whether it worked.
bool WriteAutoStartEntry(const AutoStartEntry& entry);
bool DeleteAutoStartEntry(const AutoStartEntry& entry);

#ifndef _WIN32
// Where the entry lives: the autostart folder of the user's configuration folder (XDG_CONFIG_HOME,
// else ~/.config). Empty when the user has no configuration folder.
std::filesystem::path AutoStartFile(const AutoStartEntry& entry);

// The file's content; the Exec line names the program, quoted and escaped as desktop entries want,
// followed by AutoStartModeWord.
std::string DesktopEntryText(const AutoStartEntry& entry);
#endif

// The program's entry in the list of programs the desktop starts at logon. On Linux an XDG
// autostart file (~/.config/autostart/<name>.desktop, see autostart_xdg.h); on Windows the Run
// value under HKEY_LOCAL_MACHINE. One implementation is compiled, chosen in CMake.
#pragma once

#include <string>

struct AutoStartEntry {
    std::string Name;    // the executable file name without its extension (UTF-8)
    std::string Command; // the program's path, the entry's data (UTF-8)
};

// The entry of the running program.
AutoStartEntry ProgramAutoStartEntry();

// Whether the entry exists and can be read: the settings dialog's AutoStartAtLoad. What it starts
// is not looked at, so an entry written by an earlier version, or edited by hand, counts.
bool ReadAutoStartEntry(const AutoStartEntry& entry);

// Add and remove the entry. Nothing is reported to the user: the dialog shows the real state the
// next time it opens. The result says whether it worked.
bool WriteAutoStartEntry(const AutoStartEntry& entry);
bool DeleteAutoStartEntry(const AutoStartEntry& entry);

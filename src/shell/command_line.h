// The command line decides the mode once: its first word is the one-shot file (a word holding a
// "/", or one without lower-case letters) or a tray/polling start (a lower-case letter); what
// follows the first blank is the orientation, "0" portrait or "1" landscape.
#pragma once

#include "settings/global.h"

#include <string_view>

// commandLine is the program's arguments joined by blanks, in UTF-8. The file texts of the result
// are in the ANSI code page, like every path the program holds, except CmdPath, which keeps the
// word as the file system names it.
StartupValues ParseCommandLine(std::string_view commandLine);

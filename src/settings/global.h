// The process state that the whole program shares: settings, rules, start-up values and the print
// engine's state. main owns one instance and passes it by reference.
#pragma once

#include "rules.h"
#include "settings.h"

#include <cstdint>
#include <filesystem>
#include <string>

struct StartupValues {
    std::string CmdLine;              // the command line, blanks trimmed
    std::string CmdFile;              // its first word
    std::filesystem::path CmdPath;    // the same word as the file system names it (no code page)
    std::string CmdOrientation = "0"; // "0" portrait, "1" landscape
    bool PollMode = false;            // tray/polling mode
};

struct PrintEngineState {
    std::int32_t PageCounter = 1;   // while 1, the job's first page is still open
    std::int16_t LinesPerInch = 6;  // line-height selector: n > 0 gives 1440/n twips, n < 0 gives 1 cm
    std::int16_t SavedFontSize = 0; // one slot shared by superscript and subscript
    // The last job carried the logo (PrintJob's answer): a logo is enabled and the job's own head
    // holds LogoCondition. Decided afresh by every job; the one-shot mode reads it after its job.
    bool JobHasLogo = false;
};

struct Global {
    std::filesystem::path SettingsFile;
    Settings settings;
    Rules rules;
    StartupValues startup;
    PrintEngineState print;
};

// The settings file "Orvalin.ini": eleven values, one a line (texts quoted, numbers bare, "." as
// decimal point, CR LF line ends), then one quoted rule line per rule.
#pragma once

#include "rules.h"
#include "settings.h"

#include <filesystem>
#include <functional>
#include <string>

inline constexpr const char* SettingsFileName = "Orvalin.ini";

// What a first start needs from the desktop, asked only when there is no settings file.
struct SettingsDefaults {
    std::string PrinterName; // the system's default printer
    std::string FontName;    // "Courier New" or the installed family that stands in for it
    std::string SpoolFolder; // the platform's default watched folder
};

struct SettingsEnvironment {
    std::function<SettingsDefaults()> MakeDefaults;
    // A directory search for one name (ordinary files only): the logo file's existence test.
    std::function<bool(const std::string& path)> FileExists;
    // Runs while the rules are sorted.
    std::function<void()> ProcessEvents;
};

// Rebuilds the action table, reads the file (or makes, saves and uses the defaults when there is
// none), derives LogoEnabled, loads and sorts the rules and ends SpoolFolder with the separator.
// Throws OrvalinError naming the line and the problem when the file cannot be read; the file is
// then left as it was.
void LoadSettings(const std::filesystem::path& file, Settings& settings, Rules& rules, const SettingsEnvironment& env);

// Replaces the file's whole content through a temporary file, so a failed write leaves the old
// file intact. Throws OrvalinError when the file cannot be written.
void SaveSettings(const std::filesystem::path& file, const Settings& settings, const Rules& rules);

// The bytes SaveSettings writes.
std::string SettingsFileBytes(const Settings& settings, const Rules& rules);

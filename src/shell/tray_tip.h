// The notification-area tip: "Orvalinó (" + folder + file name + ")", at most 63 characters.
#pragma once

#include <QString>

#include <string>

inline constexpr int TrayTipMaxCharacters = 63;

// folder and fileName are ANSI texts as the settings hold them.
QString TrayTipText(const std::string& folder, const std::string& fileName);

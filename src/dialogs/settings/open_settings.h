// Opens the settings dialog with the real desktop behind it: the printers' names, the installed
// fonts, the automatic-start entry, the desktop's choosers and the rule editor.
#pragma once

#include "settings/global.h"

#include <functional>
#include <string>
#include <vector>

class QWidget;

// Shows "Beállítások" modally over owner; Rendben stores into global and then calls
// refreshTrayIcon, so the icon's tip shows the new folder and file name.
void OpenSettingsDialog(QWidget* owner, Global& global, std::vector<std::string> printerNames,
                        std::function<void()> refreshTrayIcon);

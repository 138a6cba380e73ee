#include "open_settings.h"

#include "dialogs/controlcodes/edit_control_code.h"
#include "frm_settings.h"
#include "platform/folder_browser.h"
#include "platform/fonts.h"

void OpenSettingsDialog(QWidget* owner, Global& global, std::vector<std::string> printerNames,
                        std::function<void()> refreshTrayIcon)
{
    frmSettings::Environment environment;
    environment.PrinterNames = std::move(printerNames);
    environment.FontFamilies = FontFamilies();
    environment.AutoStart = ProgramAutoStartEntry();
    environment.Chooser = std::make_shared<DesktopFileChooser>();
    environment.RefreshTrayIcon = std::move(refreshTrayIcon);
    environment.EditControlCode = EditControlCode;
    environment.Locale = QLocale();
    frmSettings dialog(global, std::move(environment), owner);
    dialog.exec();
}

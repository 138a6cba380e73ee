#include "open_settings.h"

#include "dialogs/controlcodes/edit_control_code.h"
#include "frm_settings.h"
#include "platform/folder_browser.h"
#include "platform/fonts.h"
#include "print/printer.h"
#include "shell/frm_main.h"

void OpenSettingsDialog(frmMain& main, PrintersCollection& printers)
{
    frmSettings::Environment environment;
    environment.PrinterNames = printers.DeviceNames();
    environment.FontFamilies = FontFamilies();
    environment.AutoStart = ProgramAutoStartEntry();
    environment.Chooser = std::make_shared<DesktopFileChooser>();
    environment.RefreshTrayIcon = [&main] { main.RefreshTrayIcon(); };
    environment.EditControlCode = EditControlCode;
    environment.Locale = QLocale();
    frmSettings dialog(main.global(), std::move(environment), &main);
    dialog.exec();
}

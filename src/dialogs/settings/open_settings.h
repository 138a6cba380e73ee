// Opens the settings dialog from the main window with the real desktop behind it: the printers,
// the installed fonts, the automatic-start entry, the desktop's choosers and the rule editor.
#pragma once

class PrintersCollection;
class frmMain;

// Shows "Beállítások" modally; Rendben stores into the main window's Global and refreshes its icon.
void OpenSettingsDialog(frmMain& main, PrintersCollection& printers);

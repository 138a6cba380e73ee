// Keeps Qt's harmless start-up notices out of the log (the journal, when run as a service), so
// that standard error carries the program's own messages and Qt's real warnings only.
#pragma once

// Installs the filter; call before the application object is made.
void FilterQtStartupNotices();

// Whether a message of Qt's is one of the known notices that say nothing to the user: the
// fallback for an unset XDG_RUNTIME_DIR, and the tray icon's missing signal on the offscreen
// platform, where no tray can exist.
bool IsQtStartupNotice(const char* message);

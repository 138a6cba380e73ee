// Orvalin: prints the spool files that a legacy program drops into a watched folder.
#include "platform/display.h"
#include "platform/qt_translations.h"
#include "settings/global.h"
#include "shell/desktop.h"
#include "shell/frm_main.h"
#include "shell/termination_signals.h"

#include <QApplication>
#include <QLocale>

int main(int argc, char* argv[])
{
    UseOffscreenPlatformWithoutDisplay();
    QApplication app(argc, argv);
    LoadQtTranslations(QLocale::system());
    QApplication::setQuitOnLastWindowClosed(false); // the hidden window and the tray keep it alive

    Global global;
    Desktop desktop(global);
    frmMain window(global, desktop.Services());
    CloseOnTerminationSignals([&window] { window.close(); });
    window.Startup(JoinedArguments());
    if (window.Ended())
        return window.ExitStatus();
    const int status = QApplication::exec();
    return window.ExitStatus() != 0 ? window.ExitStatus() : status;
}

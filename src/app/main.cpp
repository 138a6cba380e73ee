// Orvalin: prints the spool files that a legacy program drops into a watched folder.
#include "platform/display.h"
#include "platform/qt_messages.h"
#include "platform/qt_translations.h"
#include "settings/global.h"
#include "shell/desktop.h"
#include "shell/explain_command.h"
#include "shell/frm_main.h"
#include "shell/termination_signals.h"

#include <QApplication>
#include <QLocale>

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

int main(int argc, char* argv[])
{
    if (argc >= 2 && std::string_view(argv[1]) == "--version") {
        std::printf("orvalin %s\n", ORVALIN_VERSION);
        return 0;
    }
    FilterQtStartupNotices();
    const std::optional<std::string> explainFile = ExplainArgument(argc, argv);
    if (explainFile)
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen")); // a report on standard output needs no display
    else
        UseOffscreenPlatformWithoutDisplay();
    QApplication app(argc, argv);
    if (explainFile)
        return ExplainCommand(*explainFile);
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

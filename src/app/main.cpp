// Orvalin: prints the spool files that a legacy program drops into a watched folder.
#include "platform/display.h"
#include "platform/qt_messages.h"
#include "platform/qt_translations.h"
#include "settings/global.h"
#include "shell/desktop.h"
#include "shell/explain_command.h"
#include "shell/frm_main.h"
#include "shell/information_options.h"
#include "shell/termination_signals.h"

#include <QApplication>
#include <QLocale>

#include <optional>
#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    if (const std::optional<int> status = AnswerInformationOption(std::vector<std::string>(argv + 1, argv + argc)))
        return *status;
    IgnoreFileSizeLimitSignal();
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
    window.Startup(JoinedArguments(), CodePagesFromEnvironment());
    if (window.Ended())
        return window.ExitStatus();
    const int status = QApplication::exec();
    return window.ExitStatus() != 0 ? window.ExitStatus() : status;
}

// Orvalin: prints the spool files that a legacy program drops into a watched folder.
#include "app.h"
#include "platform/display.h"
#include "platform/qt_messages.h"
#include "platform/qt_translations.h"
#include "platform/termination_signals.h"
#include "shell/explain_command.h"
#include "shell/information_options.h"

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

    App orvalin;
    frmMain& window = orvalin.Window();
    CloseOnTerminationSignals([&window] { window.close(); });
    orvalin.Start(JoinedArguments(), CodePagesFromEnvironment());
    if (window.Ended())
        return window.ExitStatus();
    const int status = QApplication::exec();
    return window.ExitStatus() != 0 ? window.ExitStatus() : status;
}

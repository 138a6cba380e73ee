#include "app.h"

#include "dialogs/settings/open_settings.h"
#include "platform/code_pages.h"
#include "platform/mouse_pointer.h"
#include "platform/program_folder.h"
#include "print/printer.h"
#include "print/surface/qt_surface.h"
#include "shell/command_line.h"
#include "shell/current_settings.h"
#include "shell/exit_status.h"
#include "shell/tray_tip.h"

#include <QCoreApplication>
#include <QStringList>

App::App(Seams seams) : seams_(std::move(seams)), printing_(global_), window_(std::make_unique<frmMain>())
{
    Poller::PrintFunction print = seams_.Print;
    if (!print)
        print = [this](const std::filesystem::path& path, const std::string& orientation) {
            return printing_.Print(path, orientation);
        };
    poller_ = new Poller(global_.settings, global_.startup, std::move(print), window_.get());
    QObject::connect(window_.get(), &frmMain::Closing, poller_, &Poller::Stop);
    QObject::connect(poller_, &Poller::Failed, window_.get(), &frmMain::EndWithError);
    QObject::connect(window_.get(), &frmMain::SettingsWanted, window_.get(), [this] { OpenSettings(); });
}

App::~App() = default;

QString App::TrayTip() const { return TrayTipText(global_.settings.SpoolFolder, global_.settings.SpoolFileName); }

void App::OpenSettings()
{
    OpenSettingsDialog(window_.get(), global_, printing_.Printers().DeviceNames(),
                       [this] { window_->RefreshTrayIcon(TrayTip()); });
}

void App::Start(const std::string& commandLine, const std::string& codePages)
{
    if (!codePages.empty()) {
        try {
            SelectCodePages(ParseCodePageList(codePages));
        } catch (const std::exception& e) {
            window_->EndWithError(QString::fromStdString(e.what()));
            return;
        }
    }
    global_.startup = ParseCommandLine(commandLine);
    const StartupValues& startup = global_.startup;
    window_->SetHideWhenMinimised(startup.PollMode);

    SetMousePointer(MousePointer::Hourglass);
    global_.SettingsFile = seams_.SettingsFile.empty() ? CurrentSettingsFile() : seams_.SettingsFile;
    try {
        LoadCurrentSettings(global_, seams_.DefaultPrinterName ? seams_.DefaultPrinterName : SystemDefaultDeviceName,
                            true);
    } catch (const std::exception& e) {
        SetMousePointer(MousePointer::Default);
        window_->EndWithError(QString::fromStdString(e.what()));
        return;
    }

    printing_.LoadLogo();
    window_->HoldLogo(printing_.LogoImage());
    poller_->SetOwnFiles({global_.SettingsFile, ProgramFolder() / ExecutableName()}, printing_.PdfFolder());
    window_->AddTrayIcon(TrayTip());
    SetMousePointer(MousePointer::Default);

    if (!startup.CmdFile.empty() && !startup.PollMode) {
        // One-shot: print at once, retry at each tick, ten ticks in all.
        poller_->RunOneShot();
        FinishOneShot();
    } else if (startup.PollMode) {
        poller_->Start();
        window_->hide();
    } else {
        window_->show();
    }
}

void App::FinishOneShot()
{
    if (window_->Ended())
        return;
    const PollState& state = poller_->State();
    if (!state.PrintDone) {
        // The caller learns it from the status, the person who reads the log why.
        ReportLine("The file " + global_.startup.CmdPath.string() + " was not printed after "
                   + std::to_string(state.Ticks) + " tries: " + state.OneShotProblem);
        window_->SetExitStatus(ExitNotPrinted);
    }
    // Only a printed job that carried the logo keeps the program open, in the plain window.
    if (state.PrintDone && global_.print.JobHasLogo)
        window_->show();
    else
        window_->close();
}

std::string JoinedArguments()
{
    QStringList arguments = QCoreApplication::arguments();
    if (!arguments.isEmpty())
        arguments.removeFirst();
    return arguments.join(QLatin1Char(' ')).toStdString();
}

std::string CodePagesFromEnvironment() { return qEnvironmentVariable("ORVALIN_CODEPAGES").toStdString(); }

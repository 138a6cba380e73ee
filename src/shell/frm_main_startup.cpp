// The main window's load event and the environment of its poll tick.
#include "frm_main.h"

#include "command_line.h"
#include "common/errors.h"
#include "platform/code_pages.h"
#include "platform/fonts.h"
#include "platform/message_box.h"
#include "platform/mouse_pointer.h"
#include "platform/paths.h"
#include "platform/program_folder.h"
#include "settings/settings_file.h"
#include "tray_icon.h"

#include <QCoreApplication>
#include <QDir>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace {

std::string DefaultSpoolFolder()
{
    return ToAnsi(QDir::homePath() + QStringLiteral("/Spool/"));
}

SpoolFileState StatFile(const std::string& path)
{
    struct stat info {};
    if (::stat(PathFromAnsi(path).c_str(), &info) != 0)
        throw OrvalinError("The file " + AnsiCodePage().ToUtf8(path) + " cannot be read: " + std::strerror(errno));
    SpoolFileState state;
    state.Size = static_cast<std::uint64_t>(info.st_size);
    state.Modified = std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::seconds(info.st_mtim.tv_sec) + std::chrono::nanoseconds(info.st_mtim.tv_nsec)));
    return state;
}

} // namespace

PollEnvironment frmMain::MakePollEnvironment()
{
    PollEnvironment env;
    env.ProcessEvents = [] { QCoreApplication::processEvents(); };
    env.Search = [this](const std::string& pattern) {
        std::error_code error;
        std::vector<std::string> names = DirectorySearch(pattern, error);
        // A folder that cannot be listed finds nothing, like a missing one; the log says why,
        // once each time the reason changes, instead of a box at every tick.
        const std::string problem = error ? AnsiCodePage().ToUtf8(pattern) + ": " + error.message() : std::string();
        if (problem != searchProblem_ && !problem.empty())
            std::fprintf(stderr, "The spool folder cannot be read: %s\n", problem.c_str());
        searchProblem_ = problem;
        return names;
    };
    env.PrintJob = [this](const std::string& path, const std::string& orientation) {
        if (!services_.PrintJob)
            throw OrvalinError("No printer is set up.");
        return services_.PrintJob(path, orientation, logo_);
    };
    env.EnableTimer = [this](bool enabled) {
        if (enabled && !ended_) {
            Timer->start();
        } else {
            // No tick of either timer may start while a batch walks its listing.
            Timer->stop();
            settleTimer_->stop();
        }
    };
    env.ShowError = [this](const std::string& description) {
        MessageBox::Show(this, QStringLiteral("Hiba!"), QString::fromStdString(description), MessageBox::Icon::None);
    };
    env.Stat = StatFile;
    env.Now = [] { return std::chrono::system_clock::now(); };
    env.Ending = [this] { return ended_; };
    return env;
}

void frmMain::LoadLogo()
{
    logo_ = QImage();
    Kep->clear();
    if (!global_.settings.LogoEnabled)
        return;
    // A picture that cannot be loaded switches the logo off for this run, silently.
    QImageReader reader(FromAnsi(global_.settings.LogoFile));
    QImage picture;
    if (!reader.read(&picture) || picture.isNull()) {
        global_.settings.LogoEnabled = false;
        return;
    }
    logo_ = picture;
    Kep->setPixmap(QPixmap::fromImage(picture));
    Kep->resize(picture.size());
}

void frmMain::Startup(const std::string& commandLine)
{
    global_.startup = ParseCommandLine(commandLine);
    const StartupValues& startup = global_.startup;

    SetMousePointer(MousePointer::Hourglass);
    global_.SettingsFile = services_.SettingsFile.empty()
        ? SettingsFolderFor(ProgramFolder()) / SettingsFileName
        : services_.SettingsFile;
    SettingsEnvironment env;
    env.MakeDefaults = [this] {
        return SettingsDefaults{services_.DefaultPrinterName ? services_.DefaultPrinterName() : std::string(DefaultPrinterName),
                                DefaultFontFamily(), DefaultSpoolFolder()};
    };
    env.FileExists = [](const std::string& path) { return !DirectorySearch(path).empty(); };
    env.ProcessEvents = [] { QCoreApplication::processEvents(); };
    try {
        LoadSettings(global_.SettingsFile, global_.settings, global_.rules, env);
    } catch (const std::exception& e) {
        SetMousePointer(MousePointer::Default);
        EndWithError(QString::fromStdString(e.what()));
        return;
    }

    LoadLogo();
    tray_->AddTrayIcon(*this);
    SetMousePointer(MousePointer::Default);
    Timer->stop();

    if (!startup.CmdFile.empty() && !startup.PollMode) {
        // One-shot: print at once, retry at each tick, ten ticks in all.
        poll_.PrintDone = false;
        poll_.Ticks = 0;
        PollTickNow();
        if (ended_)
            return;
        if (!poll_.PrintDone) {
            Timer->setInterval(std::max(1, global_.settings.PollInterval));
            Timer->start();
        }
        while (!ended_ && poll_.Ticks < 10 && !poll_.PrintDone)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        // Only a printed job that carried the logo keeps the program open, in the plain window.
        const bool printedWithLogo = poll_.PrintDone && global_.print.JobHasLogo;
        if (!ended_ && !printedWithLogo)
            close();
        else if (!ended_)
            show();
    } else if (startup.PollMode) {
        Timer->setInterval(std::max(1, global_.settings.PollInterval));
        Timer->start();
        hide();
    } else {
        show();
    }
}

// The main window's load event and the environment of its poll tick.
#include "frm_main.h"

#include "command_line.h"
#include "common/errors.h"
#include "exit_status.h"
#include "own_files.h"
#include "platform/code_pages.h"
#include "platform/fonts.h"
#include "platform/message_box.h"
#include "platform/mouse_pointer.h"
#include "platform/paths.h"
#include "platform/program_folder.h"
#include "platform/spool_claim.h"
#include "settings/settings_file.h"
#include "tray_icon.h"

#include <QApplication>
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
    const QString folder = QDir::homePath() + QStringLiteral("/Spool/");
    // Stored as "?" the folder would not exist: say so now, and what to do about it.
    if (!AnsiCanHold(folder))
        std::fprintf(stderr,
                     "The default spool folder %s cannot be written in the settings file's code page %s, so Orvalin "
                     "would watch a folder that does not exist. Choose another spool folder in the settings dialog "
                     "(\"Beállítások\"), or name the code pages in ORVALIN_CODEPAGES (for example 1250,852).\n",
                     folder.toLocal8Bit().constData(), AnsiCodePage().Name().c_str());
    return ToAnsi(folder);
}

// Follows links: the one-shot file may be one; spool-folder links never get here.
std::optional<SpoolFileState> StatFile(const std::filesystem::path& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT)
            return std::nullopt;
        throw OrvalinError("The file " + path.string() + " cannot be read: " + std::strerror(errno));
    }
    SpoolFileState state;
    state.Size = static_cast<std::uint64_t>(info.st_size);
    state.Modified = std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::seconds(info.st_mtim.tv_sec) + std::chrono::nanoseconds(info.st_mtim.tv_nsec)));
    return state;
}

void Report(const std::string& text)
{
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
}

} // namespace

PollEnvironment frmMain::MakePollEnvironment()
{
    PollEnvironment env;
    env.ProcessEvents = [] { QCoreApplication::processEvents(); };
    env.Search = [this, program = ProgramFolder() / ExecutableName()](const std::string& folder, const std::string& pattern) {
        const std::filesystem::path where = PathFromAnsi(folder);
        std::error_code error;
        std::vector<std::filesystem::path> files = SpoolSearch(where, AnsiCodePage().ToUtf8(pattern), error);
        // A folder that is missing or cannot be listed is reported once each time the reason
        // changes, not at every tick; what could be listed is printed.
        const std::string problem = error ? where.string() + ": " + error.message() : std::string();
        if (problem != searchProblem_ && !problem.empty())
            Report("The spool folder cannot be read: " + problem);
        searchProblem_ = problem;
        DropOwnFiles(where, files, {global_.SettingsFile, program},
                     services_.PdfFolder ? services_.PdfFolder() : std::filesystem::path());
        return files;
    };
    env.PrintJob = [this](const std::filesystem::path& path, const std::string& orientation) {
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
        // A box never opens over another modal window (another box, the settings dialog): the
        // log has it all the same.
        if (QApplication::activeModalWidget() != nullptr) {
            Report("Hiba!\n" + description);
            return;
        }
        MessageBox::Show(this, QStringLiteral("Hiba!"), QString::fromStdString(description), MessageBox::Icon::None);
    };
    env.Report = Report;
    env.Stat = StatFile;
    env.OpenForWriting = [](const std::filesystem::path& path) { return OpenWriters(path) == WriterState::Writing; };
    env.Claim = [](const std::filesystem::path& path) { return ClaimHandle(SpoolClaim::Take(path)); };
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
    QImageReader reader(FromAnsi(global_.settings.LogoFile)); // a link is followed
    QImage picture;
    if (!reader.read(&picture) || picture.isNull()) {
        global_.settings.LogoEnabled = false;
        return;
    }
    logo_ = picture;
    Kep->setPixmap(QPixmap::fromImage(picture));
    Kep->resize(picture.size());
}

void frmMain::Startup(const std::string& commandLine, const std::string& codePages)
{
    if (!codePages.empty()) {
        try {
            SelectCodePages(ParseCodePageList(codePages));
        } catch (const std::exception& e) {
            EndWithError(QString::fromStdString(e.what()));
            return;
        }
    }
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
    env.FileExists = [](const std::string& path) { return IsRegularFile(PathFromAnsi(path)); };
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
        FinishOneShot();
    } else if (startup.PollMode) {
        Timer->setInterval(std::max(1, global_.settings.PollInterval));
        Timer->start();
        hide();
    } else {
        show();
    }
}

void frmMain::FinishOneShot()
{
    if (ended_)
        return;
    if (!poll_.PrintDone) {
        // The caller learns it from the status, the person who reads the log why.
        Report("The file " + global_.startup.CmdPath.string() + " was not printed after " + std::to_string(poll_.Ticks)
               + " tries: " + poll_.OneShotProblem);
        exitStatus_ = ExitNotPrinted;
    }
    // Only a printed job that carried the logo keeps the program open, in the plain window.
    if (poll_.PrintDone && global_.print.JobHasLogo)
        show();
    else
        close();
}

#include "poller.h"

#include "own_files.h"
#include "platform/code_pages.h"
#include "platform/file_status.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "platform/spool_claim.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

// Follows links: the one-shot file may be one; spool-folder links never get here.
std::optional<SpoolFileState> StatFile(const std::filesystem::path& path)
{
    const std::optional<FileStatus> status = FileStatusOf(path);
    if (!status)
        return std::nullopt;
    SpoolFileState state;
    state.Size = static_cast<std::uint64_t>(status->Size);
    state.Modified =
        std::chrono::system_clock::time_point(std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::seconds(status->ModifiedSeconds) + std::chrono::nanoseconds(status->ModifiedNanoseconds)));
    return state;
}

} // namespace

void ReportLine(const std::string& text)
{
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
}

Poller::Poller(const Settings& settings, const StartupValues& startup, PrintFunction print, QObject* parent)
    : QObject(parent), settings_(settings), startup_(startup), print_(std::move(print))
{
    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    connect(Timer, &QTimer::timeout, this, &Poller::OnPollTimer);
    settleTimer_ = new QTimer(this);
    settleTimer_->setSingleShot(true);
    connect(settleTimer_, &QTimer::timeout, this, &Poller::OnPollTimer);
    environment_ = MakeEnvironment();
}

void Poller::SetOwnFiles(std::vector<std::filesystem::path> files, std::filesystem::path folder)
{
    ownFiles_ = std::move(files);
    ownFolder_ = std::move(folder);
}

PollEnvironment Poller::MakeEnvironment()
{
    PollEnvironment env;
    env.ProcessEvents = [] { QCoreApplication::processEvents(); };
    env.Search = [this](const std::string& folder, const std::string& pattern) {
        const std::filesystem::path where = PathFromAnsi(folder);
        std::error_code error;
        std::vector<std::filesystem::path> files = SpoolSearch(where, AnsiCodePage().ToUtf8(pattern), error);
        // A folder that is missing or cannot be listed is reported once each time the reason
        // changes, not at every tick; what could be listed is printed.
        const std::string problem = error ? where.string() + ": " + error.message() : std::string();
        if (problem != searchProblem_ && !problem.empty())
            ReportLine("The spool folder cannot be read: " + problem);
        searchProblem_ = problem;
        DropOwnFiles(where, files, ownFiles_, ownFolder_);
        return files;
    };
    env.PrintJob = print_;
    env.EnableTimer = [this](bool enabled) { EnableTimer(enabled); };
    env.ShowError = [this](const std::string& description) {
        // A box never opens over another modal window (another box, the settings dialog): the
        // log has it all the same.
        if (QApplication::activeModalWidget() != nullptr) {
            ReportLine("Hiba!\n" + description);
            return;
        }
        MessageBox::Show(qobject_cast<QWidget*>(parent()), QStringLiteral("Hiba!"), QString::fromStdString(description),
                         MessageBox::Icon::None);
    };
    env.Report = ReportLine;
    env.Stat = StatFile;
    env.OpenForWriting = [](const std::filesystem::path& path) { return OpenWriters(path) == WriterState::Writing; };
    env.Claim = [](const std::filesystem::path& path) { return ClaimHandle(SpoolClaim::Take(path)); };
    env.Now = [] { return std::chrono::system_clock::now(); };
    env.Ending = [this] { return stopped_; };
    return env;
}

void Poller::EnableTimer(bool enabled)
{
    if (enabled && !stopped_) {
        Timer->start();
    } else {
        // No tick of either timer may start while a batch walks its listing.
        Timer->stop();
        settleTimer_->stop();
    }
}

void Poller::Start()
{
    Timer->setInterval(std::max(1, settings_.PollInterval));
    Timer->start();
}

void Poller::RunOneShot()
{
    state_.PrintDone = false;
    state_.Ticks = 0;
    OnPollTimer();
    if (stopped_)
        return;
    if (!state_.PrintDone)
        Start();
    while (!stopped_ && state_.Ticks < 10 && !state_.PrintDone)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void Poller::Stop()
{
    stopped_ = true;
    Timer->stop();
    settleTimer_->stop();
}

void Poller::OnPollTimer()
{
    if (stopped_)
        return;
    try {
        PollTick(settings_, startup_, state_, environment_);
    } catch (const std::exception& e) {
        // The tick reports its own errors; one that escapes it ends the program.
        Q_EMIT Failed(QString::fromLocal8Bit(e.what()));
        return;
    }
    // A file still being written is looked at again as soon as it has settled, not a whole
    // interval later.
    if (state_.NextSettle && Timer->isActive()) {
        const auto wait =
            std::chrono::ceil<std::chrono::milliseconds>(*state_.NextSettle - std::chrono::system_clock::now());
        const int ms = static_cast<int>(std::max<std::chrono::milliseconds::rep>(0, wait.count())) + 50;
        if (ms < Timer->remainingTime())
            settleTimer_->start(ms);
    }
}

#include "poll_tick.h"

#include "common/errors.h"

#include <limits>

namespace {

std::string Shown(const std::filesystem::path& path) { return path.string(); }

// One try of the one-shot file: printed as it is (the program that named it has finished writing
// it), following a link. Every failure is a failed try; the reason is kept for the final report.
void TryOneShot(const StartupValues& startup, PollState& state, const PollEnvironment& env)
{
    const std::filesystem::path& file = startup.CmdPath;
    try {
        if (!env.Stat(file)) {
            state.OneShotProblem = "The file " + Shown(file) + " does not exist.";
            return;
        }
        state.PrintDone = env.PrintJob(file, startup.CmdOrientation);
        state.OneShotProblem = state.PrintDone ? std::string() : "The file " + Shown(file) + " cannot be opened.";
    } catch (const std::exception& e) {
        state.OneShotProblem = e.what();
    }
}

// Reports a setback once for this version of the file.
void Remember(const std::filesystem::path& path, const SpoolFileState& version, Setback reason, const std::string& text,
              PollState& state, const std::function<void(const std::string&)>& report)
{
    const auto found = state.Remembered.find(path);
    if (found != state.Remembered.end() && found->second.Version == version && found->second.Reason == reason)
        return;
    state.Remembered[path] = RememberedFile{version, reason};
    report(text);
}

} // namespace

void PollTick(const Settings& settings, const StartupValues& startup, PollState& state, const PollEnvironment& env)
{
    env.ProcessEvents();
    // Only the comparison with 10 in the one-shot wait reads the count, so it saturates.
    if (state.Ticks < std::numeric_limits<std::int16_t>::max())
        ++state.Ticks;

    state.NextSettle.reset();
    if (startup.PollMode) {
        // One listing per batch: every name it holds is printed at most once.
        const std::vector<std::filesystem::path> files = env.Search(settings.SpoolFolder, settings.SpoolFileName);
        // What is no longer in the folder is forgotten, so the memory stays as small as the folder.
        std::erase_if(state.Remembered, [&files](const auto& entry) {
            return !std::binary_search(files.begin(), files.end(), entry.first);
        });
        if (files.empty())
            return;
        env.EnableTimer(false);
        for (const std::filesystem::path& file : files) {
            if (env.Ending && env.Ending())
                return; // the program is closing: no further file is started
            state.PrintDone = PrintIfNotEmpty(file, startup, state, env);
            env.ProcessEvents();
            // While the printer is down the rest wait, and print in their order once it is back.
            if (state.PrinterDown)
                break;
        }
        env.EnableTimer(true);
    } else if (!startup.CmdLine.empty() && !state.PrintDone) {
        // Once the named file has printed, later ticks leave it alone.
        TryOneShot(startup, state, env);
    }
}

bool PrintIfNotEmpty(const std::filesystem::path& path, const StartupValues& startup, PollState& state,
                     const PollEnvironment& env)
{
    std::optional<SpoolFileState> file;
    try {
        file = env.Stat(path);
    } catch (const std::exception& e) {
        Remember(path, SpoolFileState{}, Setback::Unreadable, e.what(), state, env.ShowError);
        return false;
    }
    if (!file)
        return true; // gone since the listing: another instance or its writer took it

    const auto remembered = state.Remembered.find(path);
    if (remembered != state.Remembered.end()) {
        if (remembered->second.Version != *file)
            state.Remembered.erase(remembered); // a new version: tried like a new file
        else if (remembered->second.Reason == Setback::Poison || remembered->second.Reason == Setback::Undeletable)
            return true;
    }

    const auto age = env.Now() - file->Modified;
    // A time stamp far in the future (a skewed clock) cannot be judged and does not hold a job.
    const bool settled = age >= SettleTime || age <= -SettleTime;
    if (file->Size == 0)
        return true;
    if (!settled) {
        const auto settles = file->Modified + SettleTime;
        if (!state.NextSettle || settles < *state.NextSettle)
            state.NextSettle = settles;
        return true;
    }
    if (env.OpenForWriting(path)) {
        if (age >= HeldOpenReportTime)
            Remember(path, *file, Setback::HeldOpen,
                     "The file " + Shown(path)
                         + " is still open for writing by another program; it is printed once that program closes it.",
                     state, env.Report);
        return true;
    }
    const ClaimHandle claim = env.Claim(path);
    if (!claim)
        return true; // another instance is printing it

    try {
        if (!env.PrintJob(path, startup.CmdOrientation)) {
            Remember(path, *file, Setback::Unreadable, "The file " + Shown(path) + " cannot be opened.", state,
                     env.ShowError);
            return false;
        }
    } catch (const SpoolContentError& e) {
        Remember(path, *file, Setback::Poison, e.what(), state, env.ShowError);
        return false;
    } catch (const OverflowError& e) {
        Remember(path, *file, Setback::Poison, "The file " + Shown(path) + " cannot be printed: " + e.what(), state,
                 env.ShowError);
        return false;
    } catch (const std::exception& e) {
        if (!state.PrinterDown)
            env.ShowError(e.what());
        state.PrinterDown = true;
        return false;
    }
    state.PrinterDown = false;
    state.Remembered.erase(path);
    // The job deletes what it printed; the same version still here could not be deleted.
    std::optional<SpoolFileState> after;
    try {
        after = env.Stat(path);
    } catch (const std::exception&) {}
    if (after && *after == *file)
        Remember(path, *file, Setback::Undeletable,
                 "The file " + Shown(path)
                     + " has been printed but cannot be deleted; it is left in the folder and printed again only once "
                       "it changes.",
                 state, env.ShowError);
    return true;
}

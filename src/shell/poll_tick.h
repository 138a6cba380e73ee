// The poll timer's tick: in tray/polling mode it prints every non-empty spool file that matches
// the watched name; in one-shot mode it retries the file named on the command line.
#pragma once

#include "settings/global.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct SpoolFileState {
    std::uint64_t Size = 0;
    std::chrono::system_clock::time_point Modified;

    bool operator==(const SpoolFileState&) const = default;
};

// Why a file that is still in the folder was not printed at its last try. Each is reported once for
// one version of the file (its size and time); a new version starts afresh.
enum class Setback {
    Unreadable,  // cannot be opened: tried again at every tick
    HeldOpen,    // still open for writing long after its last write: waits
    Poison,      // its content makes the job fail: left alone until it changes
    Undeletable, // printed, but could not be deleted: left alone until it changes
};

struct RememberedFile {
    SpoolFileState Version;
    Setback Reason;
};

struct PollState {
    std::int16_t Ticks = 0; // counted at every tick; stays at its maximum instead of overflowing
    bool PrintDone = false; // result of the latest print started by a tick
    // When the earliest file that the latest tick left because it was still being written will
    // have settled; the window looks again then instead of a whole interval later.
    std::optional<std::chrono::system_clock::time_point> NextSettle;
    // The files of the folder that were reported and not printed, until they change or go.
    std::map<std::filesystem::path, RememberedFile> Remembered;
    // A printing error has been reported and no job has been printed since: further failures of
    // the same outage are not reported again.
    bool PrinterDown = false;
    // Why the one-shot file has not been printed yet (empty once it has).
    std::string OneShotProblem;
};

// A spool file is taken only once it has not been written to for this long, so a file that
// another program is still writing is never printed half.
inline constexpr std::chrono::seconds SettleTime{2};
// A file still open for writing this long after its last write is reported (once); it still waits.
inline constexpr std::chrono::seconds HeldOpenReportTime{10};

// A spool file taken by this instance; released when destroyed.
using ClaimHandle = std::shared_ptr<void>;

struct PollEnvironment {
    std::function<void()> ProcessEvents;
    // The spool files in folder (an ANSI path) whose names match pattern (ANSI), as full paths in
    // name order; the program's own files are never among them. Problems with the folder are the
    // environment's to report.
    std::function<std::vector<std::filesystem::path>(const std::string& folder, const std::string& pattern)> Search;
    // Prints one file with an orientation; true when the job ran, false when the file could not be
    // opened. Throws OrvalinError for a printing error, SpoolContentError or OverflowError when
    // what the file holds makes the job fail.
    std::function<bool(const std::filesystem::path& path, const std::string& orientation)> PrintJob;
    std::function<void(bool enabled)> EnableTimer;
    // The "Hiba!" box of the polling branch.
    std::function<void(const std::string& description)> ShowError;
    // A line on standard error, for what waits without anyone's help.
    std::function<void(const std::string& description)> Report;
    // Size and modification time of a file, following links; empty when there is no such file.
    // Throws OrvalinError when it cannot be examined.
    std::function<std::optional<SpoolFileState>(const std::filesystem::path& path)> Stat;
    // True when some process still has the file open for writing.
    std::function<bool(const std::filesystem::path& path)> OpenForWriting;
    // Takes the file for this instance, from before it is read until after it is deleted; empty
    // when another instance has it or it is gone.
    std::function<ClaimHandle(const std::filesystem::path& path)> Claim;
    std::function<std::chrono::system_clock::time_point()> Now;
    // True once the program is ending: a batch then stops before its next file.
    std::function<bool()> Ending;
};

// Reads the watched folder and name from settings and the mode from startup.
void PollTick(const Settings& settings, const StartupValues& startup, PollState& state, const PollEnvironment& env);

// True also when the file was empty, still being written, taken by another instance or left
// alone, and so not printed; errors are reported, not thrown. A file still being written moves
// state.NextSettle forward to its settling.
// The job's orientation comes from startup.
bool PrintIfNotEmpty(const std::filesystem::path& path, const StartupValues& startup, PollState& state,
                     const PollEnvironment& env);

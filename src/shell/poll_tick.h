// The poll timer's tick: in tray/polling mode it prints every non-empty spool file that matches
// the watched name; in one-shot mode it retries the file named on the command line.
#pragma once

#include "settings/global.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct PollState {
    std::int16_t Ticks = 0;  // counted at every tick; stays at its maximum instead of overflowing
    bool PrintDone = false;  // result of the latest print started by a tick
    // When the earliest file that the latest tick left because it was still being written will
    // have settled; the window looks again then instead of a whole interval later.
    std::optional<std::chrono::system_clock::time_point> NextSettle;
};

// A spool file is taken only once it has not been written to for this long, so a file that
// another program is still writing is never printed half.
inline constexpr std::chrono::seconds SettleTime{2};

struct SpoolFileState {
    std::uint64_t Size = 0;
    std::chrono::system_clock::time_point Modified;
};

struct PollEnvironment {
    std::function<void()> ProcessEvents;
    // Bare names of the ordinary files matching an ANSI path pattern.
    std::function<std::vector<std::string>(const std::string& pattern)> Search;
    // Prints one file (ANSI path) with an orientation; true when the job ran, false when the
    // file could not be opened. Throws OrvalinError for a printing error.
    std::function<bool(const std::string& path, const std::string& orientation)> PrintJob;
    std::function<void(bool enabled)> EnableTimer;
    // The "Hiba!" box of the polling branch.
    std::function<void(const std::string& description)> ShowError;
    // Size and modification time of a file (ANSI path); throws OrvalinError when it cannot be read.
    std::function<SpoolFileState(const std::string& path)> Stat;
    std::function<std::chrono::system_clock::time_point()> Now;
    // True once the main window has closed: a batch then stops before its next file.
    std::function<bool()> Ending;
};

void PollTick(Global& global, PollState& state, const PollEnvironment& env);

// True also when the file was empty or still being written and so not printed; errors are
// shown, not thrown. A file still being written moves state.NextSettle forward to its settling.
bool PrintIfNotEmpty(const std::string& path, Global& global, PollState& state, const PollEnvironment& env);

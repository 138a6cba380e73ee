#include "poll_tick.h"

#include "common/errors.h"

#include <limits>

void PollTick(Global& global, PollState& state, const PollEnvironment& env)
{
    env.ProcessEvents();
    // Only the comparison with 10 in the one-shot wait reads the count, so it saturates.
    if (state.Ticks < std::numeric_limits<std::int16_t>::max())
        ++state.Ticks;

    state.NextSettle.reset();
    const Settings& s = global.settings;
    const StartupValues& startup = global.startup;
    const std::string pattern = s.SpoolFolder + s.SpoolFileName;
    if (startup.PollMode && !env.Search(pattern).empty()) {
        env.EnableTimer(false);
        // One listing per batch: every name it holds is printed at most once.
        const std::vector<std::string> names = env.Search(pattern);
        for (const std::string& name : names) {
            if (env.Ending && env.Ending())
                return; // the program is closing: no further file is started
            state.PrintDone = PrintIfNotEmpty(global.settings.SpoolFolder + name, global, state, env);
            env.ProcessEvents();
        }
        env.EnableTimer(true);
    } else if (!startup.PollMode && !startup.CmdLine.empty() && !state.PrintDone && !env.Search(startup.CmdFile).empty()) {
        // Once the named file has printed, later ticks leave it alone.
        state.PrintDone = env.PrintJob(startup.CmdFile, startup.CmdOrientation);
    }
}

bool PrintIfNotEmpty(const std::string& path, Global& global, PollState& state, const PollEnvironment& env)
{
    bool result = true;
    try {
        const SpoolFileState file = env.Stat(path);
        const auto age = env.Now() - file.Modified;
        // A time stamp far in the future (a skewed clock) cannot be judged and does not hold a job.
        const bool settled = age >= SettleTime || age <= -SettleTime;
        if (file.Size != 0 && settled) {
            result = env.PrintJob(path, global.startup.CmdOrientation);
        } else if (file.Size != 0) {
            const auto settles = file.Modified + SettleTime;
            if (!state.NextSettle || settles < *state.NextSettle)
                state.NextSettle = settles;
        }
    } catch (const std::exception& e) {
        env.ShowError(e.what());
    }
    return result;
}

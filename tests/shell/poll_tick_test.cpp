// The poll tick against a fake folder and clock: batches, empty and unsettled files, the one-shot
// branch, errors, and the tick count.
#include "common/errors.h"
#include "platform/paths.h"
#include "shell/poll_tick.h"

#include <QTest>

#include <map>

namespace {

using Clock = std::chrono::system_clock;

struct FakeDesk {
    Clock::time_point now = Clock::time_point(std::chrono::hours(1000));
    std::map<std::string, SpoolFileState> files; // full path -> state
    std::vector<std::string> printed;             // path + "|" + orientation
    std::vector<std::string> errors;
    std::vector<bool> timerSwitches;
    int events = 0;
    bool ending = false;
    std::function<bool(const std::string&)> job = [](const std::string&) { return true; };
    std::function<void()> onEvents;

    void add(const std::string& path, std::uint64_t size, std::chrono::seconds age = std::chrono::seconds(10))
    {
        files[path] = SpoolFileState{size, now - age};
    }

    PollEnvironment environment()
    {
        PollEnvironment env;
        env.ProcessEvents = [this] {
            ++events;
            if (onEvents)
                onEvents();
        };
        env.Search = [this](const std::string& pattern) {
            const std::size_t cut = pattern.rfind('/');
            const std::string folder = pattern.substr(0, cut + 1);
            std::vector<std::string> names;
            for (const auto& [path, state] : files) {
                if (path.rfind(folder, 0) == 0 && path.find('/', folder.size()) == std::string::npos
                    && WildcardMatch(pattern.substr(cut + 1), path.substr(folder.size())))
                    names.push_back(path.substr(folder.size()));
            }
            return names;
        };
        env.PrintJob = [this](const std::string& path, const std::string& orientation) {
            printed.push_back(path + "|" + orientation);
            return job(path);
        };
        env.EnableTimer = [this](bool on) { timerSwitches.push_back(on); };
        env.ShowError = [this](const std::string& description) { errors.push_back(description); };
        env.Stat = [this](const std::string& path) {
            const auto found = files.find(path);
            if (found == files.end())
                throw OrvalinError("The file " + path + " cannot be read: No such file or directory");
            return found->second;
        };
        env.Now = [this] { return now; };
        env.Ending = [this] { return ending; };
        return env;
    }
};

Global PollingGlobal(const std::string& pattern = "text.txt")
{
    Global global;
    global.settings.SpoolFolder = "/spool/";
    global.settings.SpoolFileName = pattern;
    global.startup.PollMode = true;
    global.startup.CmdLine = "tray 1";
    global.startup.CmdFile = "tray";
    global.startup.CmdOrientation = "1";
    return global;
}

Global OneShotGlobal(const std::string& file)
{
    Global global = PollingGlobal();
    global.startup.PollMode = false;
    global.startup.CmdLine = file + " 1";
    global.startup.CmdFile = file;
    global.startup.CmdOrientation = "1";
    return global;
}

} // namespace

class PollTickTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void noMatchOnlyCountsTheTick()
    {
        FakeDesk desk;
        desk.add("/spool/other.txt", 10);
        Global global = PollingGlobal();
        PollState state;
        PollTick(global, state, desk.environment());
        PollTick(global, state, desk.environment());
        QCOMPARE(state.Ticks, std::int16_t(2));
        QVERIFY(desk.printed.empty());
        QVERIFY(desk.timerSwitches.empty());
    }

    void batchPrintsNonEmptyFilesWithTheTimerOff()
    {
        FakeDesk desk;
        desk.add("/spool/a.txt", 10);
        desk.add("/spool/b.txt", 0);
        desk.add("/spool/c.txt", 5);
        desk.add("/spool/d.dat", 5);
        desk.add("/spool/sub/e.txt", 5);
        Global global = PollingGlobal("*.txt");
        PollState state;
        PollTick(global, state, desk.environment());
        QCOMPARE(desk.printed, (std::vector<std::string>{"/spool/a.txt|1", "/spool/c.txt|1"}));
        QCOMPARE(desk.timerSwitches, (std::vector<bool>{false, true}));
        QVERIFY(state.PrintDone);
        QCOMPARE(desk.events, 1 + 3); // once at the start, once after each file
        // The empty file waits; it is skipped again at the next tick.
        desk.printed.clear();
        desk.files.erase("/spool/a.txt");
        desk.files.erase("/spool/c.txt");
        PollTick(global, state, desk.environment());
        QVERIFY(desk.printed.empty());
    }

    void aFileStillBeingWrittenWaitsUntilItSettles()
    {
        FakeDesk desk;
        desk.add("/spool/text.txt", 100, std::chrono::seconds(0));
        Global global = PollingGlobal();
        PollState state;
        PollTick(global, state, desk.environment());
        QVERIFY(desk.printed.empty());
        desk.now += std::chrono::seconds(1);
        desk.add("/spool/text.txt", 200, std::chrono::seconds(0)); // the writer goes on
        PollTick(global, state, desk.environment());
        QVERIFY(desk.printed.empty());
        QVERIFY(state.NextSettle);
        QCOMPARE(*state.NextSettle, desk.now + SettleTime); // the window looks again then
        desk.now += SettleTime;
        PollTick(global, state, desk.environment());
        QCOMPARE(desk.printed, (std::vector<std::string>{"/spool/text.txt|1"}));
        QVERIFY(!state.NextSettle);
        // A time stamp far in the future does not hold the job forever.
        desk.printed.clear();
        desk.add("/spool/text.txt", 200, -std::chrono::seconds(3600));
        PollTick(global, state, desk.environment());
        QCOMPARE(desk.printed.size(), std::size_t(1));
    }

    void aVanishedFileIsReportedAndTheBatchGoesOn()
    {
        FakeDesk desk;
        desk.add("/spool/a.txt", 10);
        desk.add("/spool/b.txt", 10);
        desk.add("/spool/c.txt", 10);
        Global global = PollingGlobal("?.txt");
        PollState state;
        // Another program removes b.txt while a.txt prints.
        desk.job = [&desk](const std::string& path) {
            if (path == "/spool/a.txt")
                desk.files.erase("/spool/b.txt");
            return true;
        };
        PollTick(global, state, desk.environment());
        QCOMPARE(desk.printed, (std::vector<std::string>{"/spool/a.txt|1", "/spool/c.txt|1"}));
        QCOMPARE(desk.errors.size(), std::size_t(1));
        QVERIFY(QString::fromStdString(desk.errors[0]).contains("b.txt"));
        QCOMPARE(desk.timerSwitches, (std::vector<bool>{false, true}));
    }

    void aPrintingErrorIsShownAndPollingGoesOn()
    {
        FakeDesk desk;
        desk.add("/spool/a.txt", 10);
        desk.add("/spool/b.txt", 10);
        Global global = PollingGlobal("*.txt");
        PollState state;
        desk.job = [](const std::string& path) -> bool {
            if (path == "/spool/a.txt")
                throw OrvalinError("The printer Office is stopped.");
            return false; // b.txt could not be opened
        };
        PollTick(global, state, desk.environment());
        QCOMPARE(desk.errors, (std::vector<std::string>{"The printer Office is stopped."}));
        QCOMPARE(desk.printed.size(), std::size_t(2));
        QVERIFY(!state.PrintDone);
        QCOMPARE(desk.timerSwitches.back(), true);
    }

    void closingInTheMiddleOfABatchStartsNoFurtherFile()
    {
        FakeDesk desk;
        desk.add("/spool/a.txt", 10);
        desk.add("/spool/b.txt", 10);
        Global global = PollingGlobal("*.txt");
        PollState state;
        desk.job = [&desk](const std::string&) {
            desk.ending = true; // "Kilépés" chosen while the first file printed
            return true;
        };
        PollTick(global, state, desk.environment());
        QCOMPARE(desk.printed.size(), std::size_t(1));
    }

    void oneShotPrintsTheNamedFileUntilItSucceeds()
    {
        FakeDesk desk;
        Global global = OneShotGlobal("/DATA/OUT.TXT");
        PollState state;
        // Missing: never passed to the job.
        PollTick(global, state, desk.environment());
        QVERIFY(desk.printed.empty());
        QVERIFY(!state.PrintDone);
        // Present but the job fails to open it: tried again at the next tick.
        desk.add("/DATA/OUT.TXT", 0, std::chrono::seconds(0)); // no length test, no settle time here
        desk.job = [](const std::string&) { return false; };
        PollTick(global, state, desk.environment());
        QCOMPARE(desk.printed.size(), std::size_t(1));
        desk.job = [](const std::string&) { return true; };
        PollTick(global, state, desk.environment());
        QCOMPARE(desk.printed, (std::vector<std::string>{"/DATA/OUT.TXT|1", "/DATA/OUT.TXT|1"}));
        QVERIFY(state.PrintDone);
        // Once printed, later ticks leave it alone.
        PollTick(global, state, desk.environment());
        QCOMPARE(desk.printed.size(), std::size_t(2));
        QVERIFY(desk.timerSwitches.empty());
        QCOMPARE(state.Ticks, std::int16_t(4));
    }

    void oneShotLetsAPrintingErrorThrough()
    {
        FakeDesk desk;
        desk.add("/OUT.TXT", 10);
        Global global = OneShotGlobal("/OUT.TXT");
        PollState state;
        desk.job = [](const std::string&) -> bool { throw OrvalinError("No printer is set up."); };
        QVERIFY_THROWS_EXCEPTION(OrvalinError, PollTick(global, state, desk.environment()));
        QVERIFY(desk.errors.empty());
    }

    void plainWindowModePrintsNothing()
    {
        FakeDesk desk;
        desk.add("/spool/text.txt", 10);
        Global global = PollingGlobal();
        global.startup = StartupValues{};
        PollState state;
        PollTick(global, state, desk.environment());
        QVERIFY(desk.printed.empty());
    }

    void theTickCountNeverOverflows()
    {
        FakeDesk desk;
        Global global = PollingGlobal();
        PollState state;
        state.Ticks = 32766;
        PollTick(global, state, desk.environment());
        PollTick(global, state, desk.environment());
        PollTick(global, state, desk.environment());
        QCOMPARE(state.Ticks, std::int16_t(32767));
        desk.add("/spool/text.txt", 10);
        PollTick(global, state, desk.environment());
        QCOMPARE(desk.printed.size(), std::size_t(1)); // polling goes on
    }
};

QTEST_GUILESS_MAIN(PollTickTest)
#include "poll_tick_test.moc"

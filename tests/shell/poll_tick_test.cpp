// The poll tick against a fake folder and clock: batches, empty, unsettled and held files, files
// that cannot be printed or deleted, a printer that is down, other instances, the one-shot branch,
// and the tick count.
#include "common/errors.h"
#include "platform/paths.h"
#include "shell/poll_tick.h"

#include <QTest>

#include <map>
#include <set>

namespace {

using Clock = std::chrono::system_clock;

struct FakeDesk {
    Clock::time_point now = Clock::time_point(std::chrono::hours(1000));
    std::map<std::string, SpoolFileState> files; // full path -> state
    std::set<std::string> heldOpen;               // open for writing by some program
    std::set<std::string> claimedElsewhere;       // taken by another instance
    std::vector<std::string> printed;             // path + "|" + orientation
    std::vector<std::string> errors;              // boxes
    std::vector<std::string> reports;             // standard error
    std::vector<bool> timerSwitches;
    int events = 0;
    bool ending = false;
    bool deletes = true; // a printed file is deleted, as the job does in polling mode
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
        env.Search = [this](const std::string& folder, const std::string& pattern) {
            std::vector<std::filesystem::path> found;
            for (const auto& [path, state] : files) {
                if (path.rfind(folder, 0) == 0 && path.find('/', folder.size()) == std::string::npos
                    && WildcardMatch(pattern, path.substr(folder.size())))
                    found.emplace_back(path);
            }
            return found;
        };
        env.PrintJob = [this](const std::filesystem::path& path, const std::string& orientation) {
            printed.push_back(path.string() + "|" + orientation);
            const bool done = job(path.string());
            if (done && deletes)
                files.erase(path.string());
            return done;
        };
        env.EnableTimer = [this](bool on) { timerSwitches.push_back(on); };
        env.ShowError = [this](const std::string& description) { errors.push_back(description); };
        env.Report = [this](const std::string& description) { reports.push_back(description); };
        env.Stat = [this](const std::filesystem::path& path) -> std::optional<SpoolFileState> {
            const auto found = files.find(path.string());
            if (found == files.end())
                return std::nullopt;
            return found->second;
        };
        env.OpenForWriting = [this](const std::filesystem::path& path) { return heldOpen.contains(path.string()); };
        env.Claim = [this](const std::filesystem::path& path) -> ClaimHandle {
            if (claimedElsewhere.contains(path.string()))
                return nullptr;
            return std::make_shared<int>(0);
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
    global.startup.CmdPath = file;
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

    void aVanishedFileIsSkippedAndTheBatchGoesOn()
    {
        FakeDesk desk;
        desk.add("/spool/a.txt", 10);
        desk.add("/spool/b.txt", 10);
        desk.add("/spool/c.txt", 10);
        Global global = PollingGlobal("?.txt");
        PollState state;
        // Another instance prints and deletes b.txt while a.txt prints: nothing is lost, nothing
        // to report.
        desk.job = [&desk](const std::string& path) {
            if (path == "/spool/a.txt")
                desk.files.erase("/spool/b.txt");
            return true;
        };
        PollTick(global, state, desk.environment());
        QCOMPARE(desk.printed, (std::vector<std::string>{"/spool/a.txt|1", "/spool/c.txt|1"}));
        QVERIFY(desk.errors.empty());
        QCOMPARE(desk.timerSwitches, (std::vector<bool>{false, true}));
    }

    // A file whose content fails the job is reported once and left alone until it changes; the
    // others print in the same batch and later.
    void aPoisonFileIsReportedOnceAndSkippedUntilItChanges()
    {
        FakeDesk desk;
        desk.add("/spool/a.txt", 10);
        desk.add("/spool/b.txt", 70000);
        desk.add("/spool/c.txt", 10);
        Global global = PollingGlobal("*.txt");
        PollState state;
        desk.job = [](const std::string& path) -> bool {
            if (path == "/spool/b.txt")
                throw OverflowError("Overflow: a line of 70000 characters is too long");
            return true;
        };
        PollTick(global, state, desk.environment());
        QCOMPARE(desk.printed, (std::vector<std::string>{"/spool/a.txt|1", "/spool/b.txt|1", "/spool/c.txt|1"}));
        QCOMPARE(desk.errors.size(), std::size_t(1));
        QVERIFY(QString::fromStdString(desk.errors[0]).contains("/spool/b.txt"));
        QVERIFY(!state.PrinterDown);
        // Later ticks neither try nor report it; a new file beside it prints.
        desk.add("/spool/d.txt", 10);
        PollTick(global, state, desk.environment());
        PollTick(global, state, desk.environment());
        QCOMPARE(desk.printed.back(), std::string("/spool/d.txt|1"));
        QCOMPARE(desk.printed.size(), std::size_t(4));
        QCOMPARE(desk.errors.size(), std::size_t(1));
        // Rewritten, it is tried again; mended, it prints.
        desk.job = [](const std::string&) { return true; };
        desk.add("/spool/b.txt", 12);
        PollTick(global, state, desk.environment());
        QCOMPARE(desk.printed.back(), std::string("/spool/b.txt|1"));
        QVERIFY(state.Remembered.empty());
        // A read error is the file's fault too.
        desk.add("/spool/e.txt", 10);
        desk.job = [](const std::string&) -> bool { throw SpoolContentError("The file /spool/e.txt cannot be read: Input/output error"); };
        PollTick(global, state, desk.environment());
        PollTick(global, state, desk.environment());
        QCOMPARE(desk.errors.size(), std::size_t(2));
        QCOMPARE(state.Remembered.at("/spool/e.txt").Reason, Setback::Poison);
    }

    void aPrinterThatIsDownIsReportedOncePerOutageAndTheFilesWaitInOrder()
    {
        FakeDesk desk;
        desk.add("/spool/a.txt", 10);
        desk.add("/spool/b.txt", 10);
        Global global = PollingGlobal("*.txt");
        PollState state;
        desk.job = [](const std::string&) -> bool { throw OrvalinError("The printer Office is stopped."); };
        for (int tick = 0; tick < 3; ++tick)
            PollTick(global, state, desk.environment());
        QCOMPARE(desk.errors, (std::vector<std::string>{"The printer Office is stopped."}));
        // Only the first file is tried while the printer is down; the timer runs on.
        QCOMPARE(desk.printed, (std::vector<std::string>(3, "/spool/a.txt|1")));
        QVERIFY(!state.PrintDone);
        QCOMPARE(desk.timerSwitches.back(), true);
        // Back: both print, in order.
        desk.printed.clear();
        desk.job = [](const std::string&) { return true; };
        PollTick(global, state, desk.environment());
        QCOMPARE(desk.printed, (std::vector<std::string>{"/spool/a.txt|1", "/spool/b.txt|1"}));
        // A second outage is reported again.
        desk.add("/spool/c.txt", 10);
        desk.job = [](const std::string&) -> bool { throw OrvalinError("The printer Office is stopped."); };
        PollTick(global, state, desk.environment());
        QCOMPARE(desk.errors.size(), std::size_t(2));
    }

    void aFileThatCannotBeDeletedIsPrintedOnceAndReportedOnce()
    {
        FakeDesk desk;
        desk.add("/spool/text.txt", 10);
        desk.deletes = false; // a folder without write permission
        Global global = PollingGlobal();
        PollState state;
        for (int tick = 0; tick < 5; ++tick)
            PollTick(global, state, desk.environment());
        QCOMPARE(desk.printed.size(), std::size_t(1));
        QCOMPARE(desk.errors.size(), std::size_t(1));
        QVERIFY(QString::fromStdString(desk.errors[0]).contains("cannot be deleted"));
        // A new job under the same name prints.
        desk.add("/spool/text.txt", 20);
        PollTick(global, state, desk.environment());
        QCOMPARE(desk.printed.size(), std::size_t(2));
    }

    void aFileStillOpenForWritingWaitsAndIsReportedOnceWhenHeldLong()
    {
        FakeDesk desk;
        desk.add("/spool/text.txt", 10, std::chrono::seconds(3)); // settled by its time stamp
        desk.heldOpen.insert("/spool/text.txt");
        Global global = PollingGlobal();
        PollState state;
        PollTick(global, state, desk.environment());
        QVERIFY(desk.printed.empty());
        QVERIFY(desk.reports.empty()); // a pause, not yet worth a word
        desk.now += HeldOpenReportTime;
        for (int tick = 0; tick < 3; ++tick)
            PollTick(global, state, desk.environment());
        QVERIFY(desk.printed.empty());
        QCOMPARE(desk.reports.size(), std::size_t(1));
        QVERIFY(QString::fromStdString(desk.reports[0]).contains("still open for writing"));
        QVERIFY(desk.errors.empty()); // no box: it waits without anyone's help
        desk.heldOpen.clear();
        PollTick(global, state, desk.environment());
        QCOMPARE(desk.printed, (std::vector<std::string>{"/spool/text.txt|1"}));
    }

    void aFileTakenByAnotherInstanceIsLeftToIt()
    {
        FakeDesk desk;
        desk.add("/spool/a.txt", 10);
        desk.add("/spool/b.txt", 10);
        desk.claimedElsewhere.insert("/spool/a.txt");
        Global global = PollingGlobal("*.txt");
        PollState state;
        PollTick(global, state, desk.environment());
        QCOMPARE(desk.printed, (std::vector<std::string>{"/spool/b.txt|1"}));
        QVERIFY(desk.errors.empty());
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

    void oneShotKeepsTheReasonOfItsLastFailedTry()
    {
        FakeDesk desk;
        Global global = OneShotGlobal("/OUT.TXT");
        PollState state;
        PollTick(global, state, desk.environment());
        QCOMPARE(state.OneShotProblem, std::string("The file /OUT.TXT does not exist."));
        desk.add("/OUT.TXT", 10);
        desk.job = [](const std::string&) -> bool { throw OrvalinError("The printer office is stopped."); };
        PollTick(global, state, desk.environment());
        QCOMPARE(state.OneShotProblem, std::string("The printer office is stopped."));
        QVERIFY(desk.errors.empty()); // the end of the run reports it, once
        desk.job = [](const std::string&) { return true; };
        PollTick(global, state, desk.environment());
        QVERIFY(state.PrintDone);
        QVERIFY(state.OneShotProblem.empty());
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

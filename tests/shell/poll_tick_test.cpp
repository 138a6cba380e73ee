// The poll tick against a fake folder and clock (the environment is its seam): batches, files that
// wait, files that cannot be printed or deleted, a printer that is down, the one-shot branch.
#include "common/errors.h"
#include "platform/paths.h"
#include "shell/poll_tick.h"

#include <QTest>

#include <map>

namespace {

using Names = std::vector<std::string>;
using std::chrono::seconds;

// Files live in a map from full path to state; the job deletes what it printed, as in polling mode.
struct FakeDesk {
    std::chrono::system_clock::time_point now{std::chrono::hours(1000)};
    std::map<std::string, SpoolFileState> files;
    // What goes wrong with a file: "held" open for writing, "claimed" by another instance, "stat" or
    // "open" fails, "overflow" or "content" errors, "kept" after printing (in a read-only folder).
    std::map<std::string, std::string> faults;
    bool printerDown = false;
    Names printed, errors, reports; // the job's paths, the boxes, the lines on standard error
    std::vector<bool> timer;
    bool ending = false;
    std::function<void(const std::string&)> whilePrinting = [](const std::string&) {};
    Settings settings;
    StartupValues startup{"tray 1", "", "", "1", true};
    PollState state;
    PollEnvironment env;

    explicit FakeDesk(const std::string& pattern = "*.txt")
    {
        settings.SpoolFolder = "/spool/";
        settings.SpoolFileName = pattern;
        env.ProcessEvents = [] {};
        env.Search = [this](const std::string& folder, const std::string& glob) {
            std::vector<std::filesystem::path> found;
            for (const auto& [path, file] : files)
                if (path.rfind(folder, 0) == 0 && WildcardMatch(glob, path.substr(folder.size())))
                    found.emplace_back(path);
            return found;
        };
        env.PrintJob = [this](const std::filesystem::path& path, const std::string& orientation) {
            const std::string file = path.string();
            printed.push_back(file + (orientation == "1" ? "" : " portrait"));
            whilePrinting(file);
            const std::string fault = faults[file];
            if (printerDown)
                throw OrvalinError("The printer Office is stopped.");
            if (fault == "overflow")
                throw OverflowError("Overflow");
            if (fault == "content")
                throw SpoolContentError("The file " + file + " cannot be read: Input/output error");
            if (fault != "kept" && fault != "open")
                files.erase(file);
            return fault != "open";
        };
        env.EnableTimer = [this](bool on) { timer.push_back(on); };
        env.ShowError = [this](const std::string& text) { errors.push_back(text); };
        env.Report = [this](const std::string& text) { reports.push_back(text); };
        env.Stat = [this](const std::filesystem::path& path) -> std::optional<SpoolFileState> {
            if (faults[path.string()] == "stat")
                throw OrvalinError("The file " + path.string() + " cannot be read: Permission denied");
            const auto found = files.find(path.string());
            return found == files.end() ? std::nullopt : std::optional(found->second);
        };
        env.OpenForWriting = [this](const std::filesystem::path& path) { return faults[path.string()] == "held"; };
        env.Claim = [this](const std::filesystem::path& path) -> ClaimHandle {
            return faults[path.string()] == "claimed" ? nullptr : std::make_shared<int>(0);
        };
        env.Now = [this] { return now; };
        env.Ending = [this] { return ending; };
    }
    void Add(const std::string& name, std::uint64_t size, seconds age = seconds(10))
    {
        files[name.front() == '/' ? name : "/spool/" + name] = SpoolFileState{size, now - age};
    }
    void Tick(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            PollTick(settings, startup, state, env);
    }
};

} // namespace

class PollTickTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aBatch()
    {
        FakeDesk desk;
        desk.Add("a.txt", 10);
        desk.Add("b.txt", 0);                 // empty: waits
        desk.Add("c.txt", 1);                 // one byte is a job
        desk.Add("d.dat", 5);                 // another name
        desk.Add("e.txt", 5, seconds(0));     // still being written
        desk.Add("f.txt", 5, seconds(1));     // the same, settling first
        desk.Add("g.txt", 5, -seconds(3600)); // a skewed clock does not hold it
        desk.Add("h.txt", 5);
        desk.faults["/spool/h.txt"] = "claimed";
        desk.Tick();
        QCOMPARE(desk.printed, (Names{"/spool/a.txt", "/spool/c.txt", "/spool/g.txt"}));
        QCOMPARE(desk.timer, (std::vector<bool>{false, true}));
        QVERIFY(desk.state.PrintDone && desk.errors.empty());
        QCOMPARE(*desk.state.NextSettle, desk.now + seconds(1)); // looked at again once f.txt settles
        desk.now += seconds(1);
        desk.Tick();
        QCOMPARE(desk.printed.size(), std::size_t(4));
        QCOMPARE(desk.printed.back(), std::string("/spool/f.txt"));
        QCOMPARE(*desk.state.NextSettle, desk.now + seconds(1)); // e.txt's, looked at afresh
        // A file another instance takes during a batch is passed over; an ending program stops it.
        desk.printed.clear();
        for (const char* name : {"i.txt", "j.txt", "k.txt", "l.txt"})
            desk.Add(name, 10);
        desk.whilePrinting = [&desk](const std::string& path) {
            desk.files.erase("/spool/j.txt");
            desk.ending = path == "/spool/k.txt";
        };
        desk.Tick();
        QCOMPARE(desk.printed, (Names{"/spool/i.txt", "/spool/k.txt"}));
        QVERIFY(desk.errors.empty());
    }

    // The plain window polls nothing; the tick count stops at its top and polling goes on.
    void nothingToPrintAndTheTickCount()
    {
        FakeDesk desk("text.txt");
        desk.Add("other.txt", 10);
        desk.state.Ticks = 32766;
        desk.Tick(3);
        QCOMPARE(desk.state.Ticks, std::int16_t(32767));
        QVERIFY(desk.printed.empty() && desk.timer.empty());
        desk.Add("text.txt", 10, HeldOpenReportTime - seconds(1)); // held open, not yet worth a word
        desk.faults["/spool/text.txt"] = "held";
        desk.Tick();
        QVERIFY(desk.printed.empty() && desk.reports.empty());
        desk.faults.clear();
        desk.Tick();
        QCOMPARE(desk.printed, (Names{"/spool/text.txt"}));
        desk.startup = StartupValues{};
        desk.Add("text.txt", 10);
        desk.Tick();
        QCOMPARE(desk.printed.size(), std::size_t(1));
    }

    // Reported once per version, not stopping the others; a new version starts afresh.
    void filesThatCannotBePrintedOrDeleted()
    {
        const struct {
            const char *fault, *said; // said: in the one report
            long tries;               // of the bad file in four ticks
            bool box;                 // reported in a box, else on standard error only
        } rows[] = {
            {"overflow", "cannot be printed: Overflow", 1, true},
            {"content", "Input/output error", 1, true},
            {"open", "cannot be opened", 4, true},
            {"stat", "Permission denied", 0, true},
            {"kept", "cannot be deleted", 1, true},
            {"held", "still open for writing", 0, false},
        };
        const std::string bad = "/spool/bad.txt";
        for (const auto& row : rows) {
            FakeDesk desk;
            desk.Add("a.txt", 10);
            desk.Add("bad.txt", 10, HeldOpenReportTime);
            desk.Add("c.txt", 10);
            desk.faults[bad] = row.fault;
            desk.Tick(4);
            const Names& reported = row.box ? desk.errors : desk.reports;
            QVERIFY2(std::count(desk.printed.begin(), desk.printed.end(), bad) == row.tries
                         && std::count(desk.printed.begin(), desk.printed.end(), "/spool/c.txt") == 1
                         && desk.errors.size() + desk.reports.size() == 1 && reported.size() == 1
                         && QString::fromStdString(reported[0]).contains(row.said) && !desk.state.PrinterDown,
                     row.fault);
            // A new version is tried again (and, mended, prints).
            desk.faults.clear();
            desk.Add("bad.txt", 12);
            desk.Tick();
            QVERIFY2(desk.printed.back() == bad && desk.state.Remembered.empty(), row.fault);
        }
        // A new job written under the printed one's name is no file that "cannot be deleted".
        FakeDesk desk;
        desk.Add("a.txt", 10);
        desk.faults["/spool/a.txt"] = "kept";
        desk.whilePrinting = [&desk](const std::string&) {
            if (desk.printed.size() == 1)
                desk.Add("a.txt", 99);
            else
                desk.faults.clear();
        };
        desk.Tick(2);
        QCOMPARE(desk.printed.size(), std::size_t(2));
        QVERIFY(desk.errors.empty() && desk.files.empty());
    }

    void aPrinterThatIsDownIsReportedOncePerOutage()
    {
        FakeDesk desk;
        desk.Add("a.txt", 10);
        desk.Add("b.txt", 10);
        desk.printerDown = true;
        desk.Tick(3);
        QCOMPARE(desk.errors, (Names{"The printer Office is stopped."}));
        QCOMPARE(desk.printed, (Names(3, "/spool/a.txt"))); // the rest wait, in order
        QVERIFY(!desk.state.PrintDone && desk.timer.back());
        desk.printed.clear();
        desk.printerDown = false;
        desk.Tick();
        QCOMPARE(desk.printed, (Names{"/spool/a.txt", "/spool/b.txt"}));
        desk.Add("c.txt", 10);
        desk.printerDown = true;
        desk.Tick();
        QCOMPARE(desk.errors.size(), std::size_t(2)); // a second outage
    }

    void oneShot()
    {
        FakeDesk desk;
        const std::string file = "/DATA/OUT.TXT";
        desk.startup = StartupValues{file + " 1", file, file, "1", false};
        desk.Tick(); // missing: never given to the job
        QVERIFY(desk.printed.empty() && !desk.state.PrintDone);
        QCOMPARE(desk.state.OneShotProblem, "The file " + file + " does not exist.");
        desk.Add(file, 0, seconds(0)); // neither the length nor the settle time counts
        desk.faults[file] = "open";
        desk.Tick();
        QCOMPARE(desk.state.OneShotProblem, "The file " + file + " cannot be opened.");
        desk.printerDown = true;
        desk.Tick();
        QCOMPARE(desk.state.OneShotProblem, std::string("The printer Office is stopped."));
        desk.faults.clear();
        desk.printerDown = false;
        desk.Tick(2); // once printed, later ticks leave it alone
        QCOMPARE(desk.printed.size(), std::size_t(3));
        QVERIFY(desk.state.PrintDone && desk.state.OneShotProblem.empty());
        QVERIFY(desk.errors.empty() && desk.timer.empty()); // the end of the run reports
        QCOMPARE(desk.state.Ticks, std::int16_t(5));
    }
};

QTEST_GUILESS_MAIN(PollTickTest)
#include "poll_tick_test.moc"

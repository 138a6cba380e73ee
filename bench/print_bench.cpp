// Print benchmark, CUPS's own text filter as the yardstick, everything measured in one run:
//  - 32,767 rules loaded (and sorted) from a settings file;
//  - spool files of 2,000, 20,000 and 200,000 lines (CP852, style escapes): Orvalin's time and
//    peak memory (each job in a fresh process of this benchmark, so that each peak is its own),
//    cupsfilter's text-to-PDF time on the same text, and the ratio; medians of the runs;
//  - one-page documents a second, printed one after another in one process;
//  - the executable's wall time for a one-shot run of a one-page file;
//  - a 64 MiB file without line ends, refused without being held in memory.
//
// Usage: print_bench [--keep] [--runs N] [--orvalin PATH] [lines...]
//   --keep leaves the generated files in place; PATH is the executable (default: beside this one).
#include "bench_printers.h"
#include "bench_spool.h"
#include "print/print_job.h"
#include "settings/settings_file.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

double Median(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

long PeakRssKiB()
{
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

Global BenchGlobal()
{
    Global global;
    global.settings.PrinterName = BuiltInPrinterName;
    global.settings.FontName = "Courier New";
    global.settings.FontSize = 10;
    global.settings.LeftMargin = 0.8;
    global.startup.PollMode = false;
    AddBenchRules(global);
    return global;
}

// The full list of rules, triggers of one to four bytes mixed, loaded from a settings file.
double RuleLoadingSeconds(const fs::path& folder)
{
    Settings settings;
    Rules rules;
    for (int i = 0; i < MaxRules; ++i) {
        std::string trigger(1 + i % 4, static_cast<char>('A' + i % 26));
        trigger[0] = static_cast<char>(1 + (i / 4) % 200);
        rules.ControlChars.push_back(ControlChar{trigger, i % 3 == 0 ? "bb" : "eb"});
    }
    const fs::path file = folder / "Orvalin.ini";
    SaveSettings(file, settings, rules);
    SettingsEnvironment env;
    env.FileExists = [](const std::string&) { return false; };
    env.ProcessEvents = [] {};
    Settings loadedSettings;
    Rules loaded;
    const auto start = Clock::now();
    LoadSettings(file, loadedSettings, loaded, env);
    return Seconds(Clock::now() - start);
}

// Child mode: prints one file and reports "seconds pages peak-KiB" on standard output.
int RunOneJob(int argc, char** argv, const std::string& file)
{
    BenchPrinters bench(argc, argv);
    Global global = BenchGlobal();
    auto printers = bench.MakePrinters();
    auto canvas = bench.MakeCanvas();
    PrintJobContext context{global.settings, global.rules, global.print, false, *printers, *canvas, {}};
    const auto start = Clock::now();
    try {
        PrintJob(file, "0", context, global.print.JobHasLogo);
    } catch (const std::exception& e) {
        std::cerr << "job failed: " << e.what() << "\n";
        return 1;
    }
    const double seconds = Seconds(Clock::now() - start);
    std::printf("%.6f %ld %ld\n", seconds, bench.Pages(), PeakRssKiB());
    return 0;
}

// Runs a command and returns its wall time; negative when it fails. output receives its stdout.
double Timed(const std::vector<std::string>& command, const fs::path& folder, std::string* output = nullptr)
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return -1;
    std::fflush(stdout); // nothing buffered here is written twice by the child
    const auto start = Clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        // Output nobody reads (a filter's PDF) goes nowhere rather than into this process.
        if (output)
            ::dup2(pipeEnds[1], 1);
        else
            std::freopen("/dev/null", "w", stdout);
        ::close(pipeEnds[0]);
        std::freopen("/dev/null", "w", stderr);
        if (!folder.empty() && ::chdir(folder.c_str()) != 0)
            ::_exit(127);
        std::vector<char*> args;
        for (const std::string& word : command)
            args.push_back(const_cast<char*>(word.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    std::string text;
    char buffer[256];
    for (ssize_t count; (count = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(count));
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    const double seconds = Seconds(Clock::now() - start);
    if (output)
        *output = text;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

// One-page documents printed one after another in this process, per second.
double OnePageJobsPerSecond(BenchPrinters& bench, const fs::path& folder, int jobs)
{
    const fs::path file = folder / "one-page.txt";
    WriteBenchSpoolFile(file, folder / "one-page-plain.txt", 40);
    Global global = BenchGlobal();
    auto printers = bench.MakePrinters();
    auto canvas = bench.MakeCanvas();
    PrintJobContext context{global.settings, global.rules, global.print, false, *printers, *canvas, {}};
    const auto start = Clock::now();
    for (int job = 0; job < jobs; ++job)
        PrintJob(file.string(), "0", context, global.print.JobHasLogo);
    const double seconds = Seconds(Clock::now() - start);
    bench.Pages(); // removes the documents
    return jobs / seconds;
}

// The executable in a portable folder of its own (settings beside it, the built-in printer), run
// once per measurement on a one-page file named on its command line.
double OneShotSeconds(const fs::path& executable, const fs::path& folder)
{
    const fs::path program = folder / "program";
    fs::create_directories(program / "Spool");
    fs::copy_file(executable, program / "orvalin", fs::copy_options::overwrite_existing);
    Settings settings;
    settings.PrinterName = BuiltInPrinterName;
    settings.FontName = "Courier New";
    settings.SpoolFolder = (program / "Spool").string() + "/";
    Rules rules;
    SaveSettings(program / "Orvalin.ini", settings, rules);
    WriteBenchSpoolFile(program / "PAGE.TXT", folder / "page-plain.txt", 40);
    // A name without lower-case letters starts the one-shot mode.
    return Timed({(program / "orvalin").string(), "PAGE.TXT"}, program);
}

// A huge file without any line end is one overlong line: it must be refused without being held
// in memory. Reports the time to refuse it and this process's peak memory after.
void OverlongLine(BenchPrinters& bench, const fs::path& folder)
{
    const fs::path file = folder / "one-line.txt";
    {
        std::ofstream out(file, std::ios::binary);
        const std::string block(1 << 20, 'x');
        for (int i = 0; i < 64; ++i)
            out << block;
    }
    Global global = BenchGlobal();
    auto printers = bench.MakePrinters();
    auto canvas = bench.MakeCanvas();
    PrintJobContext context{global.settings, global.rules, global.print, false, *printers, *canvas, {}};
    const auto start = Clock::now();
    std::string outcome = "printed";
    try {
        PrintJob(file.string(), "0", context, global.print.JobHasLogo);
    } catch (const std::exception&) {
        outcome = "refused";
    }
    std::printf("64 MiB without line ends: %s in %.3f s, peak RSS %ld KiB\n", outcome.c_str(),
                Seconds(Clock::now() - start), PeakRssKiB());
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<int> sizes;
    bool keep = false;
    int runs = 5;
    fs::path executable = fs::absolute(fs::path(argv[0])).parent_path() / "orvalin";
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--job" && i + 1 < argc)
            return RunOneJob(argc, argv, argv[i + 1]);
        if (word == "--keep")
            keep = true;
        else if (word == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (word == "--orvalin" && i + 1 < argc)
            executable = argv[++i];
        else if (std::atoi(argv[i]) > 0)
            sizes.push_back(std::atoi(argv[i]));
    }
    if (sizes.empty())
        sizes = {2000, 20000, 200000};
    // Neither Orvalin nor its runs ask the machine's scheduler anything.
    ::setenv("CUPS_SERVER", "/nonexistent/orvalin-bench-no-cups.sock", 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);

    const fs::path folder = fs::temp_directory_path() / ("orvalin-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const std::string self = fs::absolute(fs::path(argv[0])).string();
    const bool cups = std::system("command -v cupsfilter >/dev/null 2>&1") == 0;

    std::printf("%d rules loaded and sorted in %.3f s\n", MaxRules, RuleLoadingSeconds(folder));
    std::printf("medians of %d runs\n\n", runs);
    std::printf("| lines | pages | Orvalin s | peak MiB | texttopdf s | Orvalin / texttopdf |\n");
    std::printf("|------:|------:|----------:|---------:|------------:|--------------------:|\n");
    for (int lines : sizes) {
        const fs::path file = folder / ("spool-" + std::to_string(lines) + ".txt");
        const fs::path plain = folder / ("plain-" + std::to_string(lines) + ".txt");
        WriteBenchSpoolFile(file, plain, lines);
        std::vector<double> seconds, peaks, filter;
        long pages = 0;
        for (int run = 0; run < runs; ++run) {
            std::string report;
            if (Timed({self, "--job", file.string()}, {}, &report) < 0) {
                std::cerr << "the job of " << lines << " lines failed\n";
                return 1;
            }
            double taken = 0;
            long peak = 0;
            if (std::sscanf(report.c_str(), "%lf %ld %ld", &taken, &pages, &peak) == 3) {
                seconds.push_back(taken);
                peaks.push_back(peak / 1024.0);
            }
            if (cups)
                filter.push_back(
                    Timed({"cupsfilter", "-i", "text/plain", "-m", "application/pdf", plain.string()}, {}));
        }
        const double ours = Median(seconds);
        const double theirs = Median(filter);
        char theirsText[32] = "n/a";
        char ratioText[32] = "n/a";
        if (theirs > 0) {
            std::snprintf(theirsText, sizeof theirsText, "%.3f", theirs);
            std::snprintf(ratioText, sizeof ratioText, "%.2f", ours / theirs);
        }
        std::printf("| %d | %ld | %.3f | %.1f | %s | %s |\n", lines, pages, ours, Median(peaks), theirsText, ratioText);
        std::fflush(stdout);
    }

    {
        BenchPrinters bench(argc, argv);
        std::vector<double> rates;
        for (int run = 0; run < runs; ++run)
            rates.push_back(OnePageJobsPerSecond(bench, folder, 100));
        std::printf("\none-page documents in one process: %.0f a second\n", Median(rates));
        OverlongLine(bench, folder);
    }
    if (fs::exists(executable)) {
        std::vector<double> walls;
        for (int run = 0; run < runs; ++run)
            walls.push_back(OneShotSeconds(executable, folder));
        std::printf("one-shot run of a one-page file (%s): %.0f ms wall\n", executable.c_str(), Median(walls) * 1000);
    } else {
        std::printf("one-shot run: no executable at %s\n", executable.c_str());
    }

    if (keep) {
        std::cout << "files kept in " << folder.string() << "\n";
    } else {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    return 0;
}

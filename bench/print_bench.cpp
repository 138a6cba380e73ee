// Print-engine benchmark: generates spool files of 2,000, 20,000 and 200,000 lines (CP852
// letters, a form feed every 66 lines, style escapes every few lines, a dozen rules), prints each
// through PrintJob and reports wall time, pages per second and peak memory, with CUPS's own text
// filter on the same files as a yardstick.
//
// Usage: print_bench [--keep] [lines...]   (--keep leaves the generated files in place)
#include "print/print_job.h"
#include "bench_printers.h"
#include "common/codepage.h"
#include "settings/settings_file.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

const char Escape = '\x1b';

// A dozen rules of the kind a legacy program's printer set-up uses.
void AddRules(Global& global)
{
    auto rule = [&](std::string trigger, std::string action) {
        global.rules.ControlChars.push_back(ControlChar{std::move(trigger), std::move(action)});
    };
    rule(std::string{Escape, '-', '1'}, "bu");
    rule(std::string{Escape, '-', '0'}, "eu");
    rule(std::string{Escape, 'E'}, "bb");
    rule(std::string{Escape, 'F'}, "eb");
    rule(std::string{Escape, '4'}, "bi");
    rule(std::string{Escape, '5'}, "ei");
    rule(std::string{Escape, '0'}, "h8");
    rule(std::string{Escape, '2'}, "h6");
    rule(std::string{Escape, '@'}, "");
    rule(std::string{Escape, 'M'}, "12");
    rule("\f", "np");
    rule("\x0e", "");
}

// CP852 text: Hungarian letters among plain ones, style escapes every few lines. The same text
// without escapes and in UTF-8 goes to plainPath, for CUPS's filter, which reads UTF-8.
void WriteSpoolFile(const fs::path& path, const fs::path& plainPath, int lines)
{
    static const char* const words[] = {
        "sz\xa0ml\xa0", "\x82rt\x82k", "\x94sszesen", "fizet\x82si", "hat\x8bid\x8b", "\xa3j", "t\x81k\xfbr",
        "\xb5" "FA", "\x90rt\x82k", "\xe0sszeg", "k\x94lts\x82g", "kedvezm\x82ny", "r\x82szletez\x82s",
    };
    const CodePage& cp852 = CodePage::Get("CP852");
    std::ofstream out(path, std::ios::binary);
    std::ofstream plain(plainPath, std::ios::binary);
    std::string line;
    std::string text;
    for (int i = 0; i < lines; ++i) {
        line.clear();
        text.clear();
        if (i % 5 == 0)
            line += std::string{Escape, 'E'};
        if (i % 7 == 0)
            line += std::string{Escape, '4'};
        if (i % 11 == 0)
            line += std::string{Escape, '-', '1'};
        text += std::to_string(i + 1);
        for (int w = 0; w < 8; ++w) {
            text += ' ';
            text += words[(i * 3 + w) % (sizeof words / sizeof *words)];
        }
        line += text;
        if (i % 5 == 0)
            line += std::string{Escape, 'F'};
        if (i % 7 == 0)
            line += std::string{Escape, '5'};
        if (i % 11 == 0)
            line += std::string{Escape, '-', '0'};
        if ((i + 1) % 66 == 0) {
            line += '\f';
            text += '\f';
        }
        line += "\r\n";
        text += "\r\n";
        out << line;
        plain << cp852.ToUtf8(text);
    }
}

long PeakRssKiB()
{
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double Seconds(std::chrono::steady_clock::duration duration)
{
    return std::chrono::duration<double>(duration).count();
}

bool HaveCupsFilter()
{
    return std::system("command -v cupsfilter >/dev/null 2>&1") == 0;
}

// CUPS's text filter to PDF on the same file; negative when it fails.
double CupsFilterSeconds(const fs::path& file)
{
    const std::string command = "cupsfilter -i text/plain -m application/pdf '" + file.string() + "' >/dev/null 2>&1";
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    const double seconds = Seconds(std::chrono::steady_clock::now() - start);
    return status == 0 ? seconds : -1;
}

// The full list of rules, triggers of one to four bytes mixed, loaded from a settings file: the
// load sorts them.
void BenchRuleLoading(const fs::path& folder)
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
    int events = 0;
    env.ProcessEvents = [&events] { ++events; };
    Settings loadedSettings;
    Rules loaded;
    const auto start = std::chrono::steady_clock::now();
    LoadSettings(file, loadedSettings, loaded, env);
    const double seconds = Seconds(std::chrono::steady_clock::now() - start);
    std::printf("%d rules loaded and sorted in %.3f s\n", loaded.HighestIndex(), seconds);
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<int> sizes;
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--keep")
            keep = true;
        else if (std::atoi(argv[i]) > 0)
            sizes.push_back(std::atoi(argv[i]));
    }
    if (sizes.empty())
        sizes = {2000, 20000, 200000};

    const fs::path folder = fs::temp_directory_path() / ("orvalin-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);

    BenchRuleLoading(folder);

    BenchPrinters bench(argc, argv);
    std::cout << "target: " << bench.Description() << "\n";
    const bool cups = HaveCupsFilter();

    std::printf("%10s %12s %10s %12s %10s %14s %14s\n", "lines", "file bytes", "pages", "seconds", "pages/s",
                "peak RSS KiB", "cupsfilter s");
    for (int lines : sizes) {
        const fs::path file = folder / ("spool-" + std::to_string(lines) + ".txt");
        const fs::path plain = folder / ("plain-" + std::to_string(lines) + ".txt");
        WriteSpoolFile(file, plain, lines);

        Global global;
        global.settings.PrinterName = BuiltInPrinterName;
        global.settings.FontName = "Courier New";
        global.settings.FontSize = 10;
        global.settings.LeftMargin = 0.8;
        global.startup.PollMode = false;
        AddRules(global);
        auto printers = bench.MakePrinters();
        auto canvas = bench.MakeCanvas();
        PrintJobContext context{global, *printers, *canvas, {}};

        const auto start = std::chrono::steady_clock::now();
        try {
            PrintJob(file.string(), "0", context);
        } catch (const std::exception& e) {
            std::cerr << "job of " << lines << " lines failed: " << e.what() << "\n";
            return 1;
        }
        const double seconds = Seconds(std::chrono::steady_clock::now() - start);
        const long pages = bench.Pages(*printers);
        const double cupsSeconds = cups ? CupsFilterSeconds(plain) : -1;
        char cupsText[32];
        if (!cups)
            std::snprintf(cupsText, sizeof cupsText, "n/a");
        else if (cupsSeconds < 0)
            std::snprintf(cupsText, sizeof cupsText, "failed");
        else
            std::snprintf(cupsText, sizeof cupsText, "%.3f", cupsSeconds);
        std::printf("%10d %12lld %10ld %12.3f %10.0f %14ld %14s\n", lines,
                    static_cast<long long>(fs::file_size(file)), pages, seconds,
                    seconds > 0 ? pages / seconds : 0.0, PeakRssKiB(), cupsText);
        std::fflush(stdout);
    }
    // A huge file without any line end is one overlong line: it must be refused without being
    // held in memory.
    {
        const fs::path file = folder / "one-line.txt";
        {
            std::ofstream out(file, std::ios::binary);
            const std::string block(1 << 20, 'x');
            for (int i = 0; i < 64; ++i)
                out << block;
        }
        Global global;
        global.settings.PrinterName = BuiltInPrinterName;
        auto printers = bench.MakePrinters();
        auto canvas = bench.MakeCanvas();
        PrintJobContext context{global, *printers, *canvas, {}};
        const auto start = std::chrono::steady_clock::now();
        std::string outcome = "printed";
        try {
            PrintJob(file.string(), "0", context);
        } catch (const std::exception&) {
            outcome = "refused";
        }
        std::printf("64 MiB without line ends: %s in %.3f s, peak RSS %ld KiB\n", outcome.c_str(),
                    Seconds(std::chrono::steady_clock::now() - start), PeakRssKiB());
    }

    if (keep) {
        std::cout << "files kept in " << folder.string() << "\n";
    } else {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    return 0;
}

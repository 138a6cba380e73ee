#include "print_job.h"

#include "common/errors.h"
#include "head_search.h"
#include "platform/paths.h"
#include "skip_errors.h"
#include "spool_file.h"
#include "text_interpreter.h"

#include <algorithm>
#include <optional>
#include <system_error>

namespace {

enum HeadNeedle : std::size_t { LogoConditionNeedle, LandscapeNeedle, PortraitNeedle };

// Chooses the printer named in the settings; "Default Printer", or a name no printer has, keeps
// the current one. Errors reach the caller.
void ChoosePrinter(const Settings& settings, PrintersCollection& printers)
{
    // Select matches the device name exactly and leaves the current printer when none matches.
    if (settings.PrinterName != DefaultPrinterName)
        printers.Select(settings.PrinterName);
}

void SetUpPrinter(const Settings& settings, Printer& printer, const std::string& orientation)
{
    // Bold, italic and underline are left as earlier jobs left them.
    Skipping([&] { printer.SetPrintQuality(PrintQualityHigh); });
    Skipping([&] { printer.SetOrientation(orientation == "0" ? OrientationPortrait : OrientationLandscape); });
    Skipping([&] { printer.SetFontTransparent(true); });
    Skipping([&] { printer.SetFontName(settings.FontName); });
    Skipping([&] { printer.SetFontSize(settings.FontSize); });
    Skipping([&] { printer.SetFontCharset(OemCharset); });
}

// Opens the file for reading; false when it cannot be opened (locked, removed, not a file).
bool OpenSpool(const std::filesystem::path& file, std::optional<SpoolReader>& reader)
{
    try {
        reader.emplace(file);
        return true;
    } catch (const OrvalinError&) {
        return false;
    }
}

// Reads the first lines of the file into the search. False when the file cannot be opened; a
// read error ends the head where it happened.
bool ReadHead(const std::filesystem::path& file, HeadSearch& head)
{
    std::optional<SpoolReader> reader;
    if (!OpenSpool(file, reader))
        return false;
    try {
        for (int line = 0; line < HeadLines && !reader->AtEnd(); ++line)
            reader->ReadLine([&](std::string_view piece) { head.Feed(piece); });
    } catch (const OrvalinError&) {
    }
    return true;
}

void EndLogoPage(PrintJobContext& context, Printer& printer)
{
    FinishLogoPage(context.canvas, printer);
    printer.EndDoc();
    ++context.global.print.PageCounter;
}

// Steps of the printing pass: every line through the interpreter, the logo page ended at the
// first line holding a form feed or at the end, the document ended. Errors are thrown.
void PrintLines(SpoolReader& reader, PrintJobContext& context, Printer& printer)
{
    TextInterpreter interpreter(context.global, printer, context.canvas);
    std::string line;
    while (!reader.AtEnd()) {
        line.clear();
        std::uint64_t length = 0;
        // Only as much of a line is kept as could ever be printed, so a file without line ends
        // never fills memory; a longer line is refused below.
        constexpr std::size_t keep = MaxRestLength + 2;
        const bool endedByCrLf = reader.ReadLine([&](std::string_view piece) {
            length += piece.size();
            if (line.size() < keep)
                line.append(piece.substr(0, std::min(piece.size(), keep - line.size())));
        });
        if (endedByCrLf) {
            length -= 2;
            line.resize(line.size() - 2);
        }
        if (length > MaxRestLength)
            ThrowOverlongLine(length);

        const std::size_t formFeed = line.find('\f');
        if (formFeed == std::string::npos) {
            interpreter.PrintLine(line);
            continue;
        }
        // A file that ends in a form feed does not end with an empty page.
        if (reader.AtEnd())
            line[formFeed] = ' ';
        interpreter.PrintLine(line);
        if (interpreter.LogoPageOpen())
            EndLogoPage(context, printer); // the rest of the file becomes a second document
    }
    if (interpreter.LogoPageOpen())
        EndLogoPage(context, printer);
    else
        printer.EndDoc();
}

} // namespace

bool PrintJob(const std::string& path, const std::string& orientation, PrintJobContext& context)
{
    Global& global = context.global;
    Settings& settings = global.settings;
    const std::filesystem::path file = PathFromAnsi(path);

    global.print.PageCounter = 1;
    ChoosePrinter(settings, context.printers);
    Printer& printer = context.printers.Current();

    // Set-up: a setting the printer refuses keeps the printer's own value.
    std::optional<int> rememberedOrientation;
    Skipping([&] { rememberedOrientation = printer.Orientation(); });
    SetUpPrinter(settings, printer, orientation);

    HeadSearch head({settings.LogoCondition, global.rules.LandscapeChars, global.rules.PortraitChars});
    // A file that cannot be opened is not judged by its (missing) head: the logo stays enabled
    // for later jobs, and the file waits for the next attempt.
    if (!ReadHead(file, head))
        return false;
    if (!head.Contains(LogoConditionNeedle))
        settings.LogoEnabled = false; // for the rest of the run
    // An empty trigger text counts as absent, so that without "ol"/"op" rules the argument decides.
    if (!global.rules.LandscapeChars.empty() && head.Contains(LandscapeNeedle))
        Skipping([&] { printer.SetOrientation(OrientationLandscape); });
    else if (!global.rules.PortraitChars.empty() && head.Contains(PortraitNeedle))
        Skipping([&] { printer.SetOrientation(OrientationPortrait); });

    if (settings.LogoEnabled)
        PrepareLogoPage(settings, printer, context.canvas, context.logo);
    global.print.LinesPerInch = 6;

    std::optional<SpoolReader> reader;
    if (!OpenSpool(file, reader))
        return false;

    // From here errors end the job and the file stays for the next tick. The unfinished document
    // is discarded, so that the next attempt does not print its first part a second time.
    try {
        PrintLines(*reader, context, printer);
    } catch (...) {
        Skipping([&] { printer.KillDoc(); });
        throw;
    }

    const FileStamp printed = reader->OpenedStamp();
    reader.reset();
    if (rememberedOrientation)
        Skipping([&] { printer.SetOrientation(*rememberedOrientation); });
    if (global.startup.PollMode) {
        // Only the file that was printed is deleted: a new job written under the same name
        // meanwhile (a new file, or the old one rewritten) is left for the next tick.
        const std::optional<FileStamp> now = StampOfPath(file);
        if (now && *now == printed) {
            std::error_code ignored;
            std::filesystem::remove(file, ignored);
        }
    }
    return true;
}

#include "print_job.h"

#include "common/errors.h"
#include "head_search.h"
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
    Skipping([&] { printer.SetPrintQuality(PrintQuality::High); });
    Skipping(
        [&] { printer.SetOrientation(orientation == "0" ? PageOrientation::Portrait : PageOrientation::Landscape); });
    Skipping([&] { printer.SetFontTransparent(true); });
    Skipping([&] { printer.SetFontName(settings.FontName); });
    Skipping([&] { printer.SetFontSize(settings.FontSize); });
    Skipping([&] { printer.SetFontCharset(CharacterSet::Oem); });
    // Every job starts plain, whatever the one before it left switched on.
    Skipping([&] { printer.SetFontBold(false); });
    Skipping([&] { printer.SetFontItalic(false); });
    Skipping([&] { printer.SetFontUnderline(false); });
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

// Reads the first lines of the file into the search; a read error ends the head where it
// happened.
void ReadHead(SpoolReader& reader, HeadSearch& head)
{
    try {
        for (int line = 0; line < HeadLines && !reader.AtEnd(); ++line)
            reader.ReadLine([&](std::string_view piece) { head.Feed(piece); });
    } catch (const OrvalinError&) {}
}

// Steps of the printing pass: every line through the interpreter, the logo page ended at the
// first line holding a form feed or at the end, the document ended: one document for the whole
// job, so that no other job comes between the logo page and the rest. Errors are thrown.
void PrintLines(SpoolReader& reader, PrintJobContext& context, Printer& printer, bool jobHasLogo)
{
    TextInterpreter interpreter(context.settings, context.rules, context.state, printer, context.canvas, jobHasLogo);
    std::string line;
    while (!reader.AtEnd()) {
        // Only as much of a line is kept as could ever be printed; a longer line is refused below.
        const std::uint64_t length = ReadCappedLine(reader, line, MaxRestLength + 2);
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
            interpreter.EndLogoPage(); // the rest of the file follows on the next page
    }
    if (interpreter.LogoPageOpen()) {
        FinishLogoPage(context.canvas, printer);
        ++context.state.PageCounter;
    }
    printer.EndDoc();
}

} // namespace

bool PrintJob(const std::filesystem::path& file, const std::string& orientation, PrintJobContext& context,
              bool& carriedLogo)
{
    const Settings& settings = context.settings;
    const Rules& rules = context.rules;
    PrintEngineState& state = context.state;

    state.PageCounter = 1;
    carriedLogo = false;
    ChoosePrinter(settings, context.printers);
    Printer& printer = context.printers.Current();

    // Set-up: a setting the printer refuses keeps the printer's own value.
    std::optional<PageOrientation> rememberedOrientation;
    Skipping([&] { rememberedOrientation = printer.Orientation(); });
    SetUpPrinter(settings, printer, orientation);

    HeadSearch head({settings.LogoCondition, rules.LandscapeChars, rules.PortraitChars});
    // A file that cannot be opened waits for the next attempt. Head and lines are read through
    // the one open file, so that a new job renamed over the name in between cannot lend the old
    // job's head its lines.
    std::optional<SpoolReader> reader;
    if (!OpenSpool(file, reader))
        return false;
    ReadHead(*reader, head);
    // Each job's own head decides: a file without the condition leaves later files their logo.
    const bool jobHasLogo = settings.LogoEnabled && head.Contains(LogoConditionNeedle);
    carriedLogo = jobHasLogo;
    // An empty trigger text counts as absent, so that without "ol"/"op" rules the argument decides.
    if (!rules.LandscapeChars.empty() && head.Contains(LandscapeNeedle))
        Skipping([&] { printer.SetOrientation(PageOrientation::Landscape); });
    else if (!rules.PortraitChars.empty() && head.Contains(PortraitNeedle))
        Skipping([&] { printer.SetOrientation(PageOrientation::Portrait); });

    if (jobHasLogo)
        PrepareLogoPage(settings, printer, context.canvas, context.logo);
    state.LinesPerInch = 6;
    state.SavedFontSize = settings.FontSize;

    reader->Rewind();

    // From here errors end the job and the file stays for the next tick. The unfinished document
    // is discarded, so that the next attempt does not print its first part a second time.
    try {
        PrintLines(*reader, context, printer, jobHasLogo);
    } catch (...) {
        Skipping([&] { printer.KillDoc(); });
        throw;
    }

    const FileStamp printed = reader->OpenedStamp();
    reader.reset();
    if (rememberedOrientation)
        Skipping([&] { printer.SetOrientation(*rememberedOrientation); });
    if (context.deletePrinted) {
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

#include "spool_report.h"

#include "common/bytes.h"
#include "common/errors.h"
#include "common/numbers.h"
#include "head_search.h"
#include "platform/code_pages.h"
#include "platform/paths.h"
#include "print_job.h"
#include "sequence_census.h"
#include "spool_file.h"

#include <optional>
#include <sstream>
#include <vector>

namespace {

enum HeadNeedle : std::size_t { LogoConditionNeedle, LandscapeNeedle, PortraitNeedle };

// The head line (from 1) in which each needle is first complete; 0 when it is not in the head.
std::vector<std::uint64_t> FindInHead(const std::filesystem::path& file, std::vector<std::string> needles)
{
    std::vector<std::uint64_t> lines(needles.size(), 0);
    HeadSearch head(std::move(needles));
    SpoolReader reader(file);
    for (std::uint64_t line = 1; line <= HeadLines && !reader.AtEnd(); ++line) {
        reader.ReadLine([&](std::string_view piece) { head.Feed(piece); });
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (lines[i] == 0 && head.Contains(i))
                lines[i] = line;
        }
    }
    return lines;
}

std::string Times(std::uint64_t count) { return std::to_string(count) + (count == 1 ? " time" : " times"); }

void ReportHead(const std::filesystem::path& file, const std::string& orientation, const Global& global,
                std::ostringstream& out)
{
    const Settings& settings = global.settings;
    const Rules& rules = global.rules;
    const std::vector<std::uint64_t> found =
        FindInHead(file, {settings.LogoCondition, rules.LandscapeChars, rules.PortraitChars});
    // The same order of decisions as the job's: landscape first, then portrait, then the argument.
    if (!rules.LandscapeChars.empty() && found[LandscapeNeedle] != 0)
        out << "Orientation: landscape (trigger " << ByteCodes(rules.LandscapeChars) << " in line "
            << found[LandscapeNeedle] << ")\n";
    else if (!rules.PortraitChars.empty() && found[PortraitNeedle] != 0)
        out << "Orientation: portrait (trigger " << ByteCodes(rules.PortraitChars) << " in line "
            << found[PortraitNeedle] << ")\n";
    else
        out << "Orientation: " << (orientation == "0" ? "portrait" : "landscape")
            << " (no orientation trigger in the first " << HeadLines << " lines)\n";

    const std::string condition = "condition \"" + AnsiCodePage().ToUtf8(settings.LogoCondition) + "\"";
    if (TrimBlanks(settings.LogoFile).empty())
        out << "Logo: no (no logo file)\n";
    else if (!settings.LogoEnabled)
        out << "Logo: no (the logo file " << AnsiCodePage().ToUtf8(settings.LogoFile) << " cannot be loaded)\n";
    else if (found[LogoConditionNeedle] != 0)
        out << "Logo: yes (" << condition << " in line " << found[LogoConditionNeedle] << ")\n";
    else
        out << "Logo: no (" << condition << " not in the first " << HeadLines << " lines)\n";
}

struct OverlongLine {
    std::uint64_t line = 0;
    std::uint64_t length = 0;
};

// Reads the lines as the job does, counting their sequences and noting the lines it refuses.
std::vector<OverlongLine> ReadLines(const std::filesystem::path& file, SequenceCensus& census)
{
    std::vector<OverlongLine> overlong;
    SpoolReader reader(file);
    std::string line;
    for (std::uint64_t number = 1; !reader.AtEnd(); ++number) {
        const std::uint64_t length = ReadCappedLine(reader, line, MaxRestLength + 2);
        if (length > MaxRestLength) {
            overlong.push_back({number, length});
            continue;
        }
        // The job prints a form feed in the file's last line as a blank.
        if (const std::size_t formFeed = line.find('\f'); formFeed != std::string::npos && reader.AtEnd())
            line[formFeed] = ' ';
        census.AddLine(line, number);
    }
    return overlong;
}

void ReportSequences(const SequenceCensus& census, const Rules& rules, std::ostringstream& out)
{
    out << "Control sequences:\n";
    if (census.Counts().empty())
        out << "  none\n";
    for (const SequenceCount& entry : census.Counts()) {
        out << "  " << ByteCodes(entry.bytes) << ": " << Times(entry.count) << ", first in line " << entry.firstLine
            << ": ";
        if (entry.ruleIndex == 0)
            out << "printed as a character\n";
        else
            out << ActionLabelOf(rules.ActionTable, rules.ControlChars[entry.ruleIndex].ActionCode) << " (rule "
                << entry.ruleIndex << ")\n";
    }
}

} // namespace

std::string ByteCodes(const std::string& bytes)
{
    std::string codes;
    for (const char c : bytes) {
        if (!codes.empty())
            codes += ' ';
        codes += std::to_string(static_cast<unsigned char>(c));
    }
    return codes;
}

std::string ActionLabelOf(const ActionTableType& table, const std::string& actionCode)
{
    // As the interpreter reads a code: case does not matter, a number is a font size.
    const std::string code = LowerAscii(actionCode);
    if (code.empty())
        return table[IgnoreActionIndex].Label;
    if (const ActionEntry* entry = FindNamedAction(table, code))
        return entry->Label;
    if (IsNumeric(code, ','))
        return table[FontSizeActionIndex].Label + actionCode;
    return "unknown action \"" + AnsiCodePage().ToUtf8(actionCode) + "\", dropped";
}

std::string ExplainSpoolFile(const std::filesystem::path& file, const std::string& orientation, Global& global,
                             CountingPrinter& printer)
{
    std::ostringstream out;
    out << "File: " << file.string() << "\n";
    ReportHead(file, orientation, global, out);

    CountingCanvas canvas;
    TextInterpreter interpreter(global.settings, global.rules, global.print, printer, canvas);
    SequenceCensus census(interpreter, global.rules);
    const std::vector<OverlongLine> overlong = ReadLines(file, census);
    ReportSequences(census, global.rules, out);
    out << "Overlong lines:\n";
    if (overlong.empty())
        out << "  none\n";
    for (const OverlongLine& line : overlong)
        out << "  line " << line.line << ": " << line.length << " characters, at most " << MaxRestLength
            << " can be printed in one line\n";

    // The page count is the job's own: the real job on a printer that only counts.
    CountingPrinters printers(printer);
    PrintJobContext context{global.settings, global.rules, global.print, false, printers, canvas, LogoPicture{}};
    try {
        if (!PrintJob(AnsiFromPath(file), orientation, context, global.print.JobHasLogo))
            throw OrvalinError("The file " + file.string() + " cannot be read.");
        out << "Pages: " << printer.Pages() << "\n";
    } catch (const OverflowError&) {
        if (overlong.empty())
            throw;
        out << "Pages: none (the job stops at line " << overlong.front().line << ")\n";
    }
    return out.str();
}

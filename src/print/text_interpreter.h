// The text interpreter: lays one spool line out at the left margin, cutting it at the control-code
// triggers and carrying out each trigger's action on the drawing target.
#pragma once

#include "print/printer.h"
#include "settings/global.h"
#include "settings/rules.h"
#include "settings/settings.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Twips in a centimetre, as the page layout counts them.
inline constexpr double TwipsPerCm = 567.0;
// Searches work with 16-bit positions: a longer rest of a line is an overflow.
inline constexpr std::size_t MaxRestLength = 32767;
// Size of superscript and subscript text, in points.
inline constexpr double ScriptFontSize = 6.0;

// Throws the overflow error of a line longer than the search can handle.
[[noreturn]] void ThrowOverlongLine(std::uint64_t length);

// Line height in twips for a LinesPerInch selector: 1/n inch for n > 0, 1 cm for n < 0.
double LineHeight(std::int16_t linesPerInch);

// The interpreter of one job. The rules are taken when it is made and must not change while it
// is used (a job yields to nothing, so the settings dialog cannot change them meanwhile). It reads
// the left margin from the settings and keeps the page counter, the line height and the saved font
// size in the engine state. With jobHasLogo the job's first page is the logo page.
class TextInterpreter {
public:
    TextInterpreter(const Settings& settings, const Rules& rules, PrintEngineState& state, Printer& printer,
                    Canvas& canvas, bool jobHasLogo = false);

    // The canvas while the logo page is open (the job carries the logo and its first page is
    // still open), else the printer.
    DrawingTarget& Target() const;
    bool LogoPageOpen() const;
    // Lays the logo page over the printer page and goes on on a new printer page: the rest of the
    // job follows in the same document. Errors are thrown.
    void EndLogoPage();

    // Prints one line at the margin with its actions carried out, then moves the pen down by the
    // current line height. A line that would not fit above the bottom of the page begins a new
    // page first (on the logo page: ends it, as at a form feed), so no line is lost below the
    // page. Drawing errors and an overlong line (OverflowError) are thrown.
    void PrintLine(std::string_view line);
    // Prints rest up to its first trigger, carries out that trigger's action and returns the text
    // after the trigger (empty when rest holds no trigger, after printing all of it).
    std::string_view PrintUpToNextCode(std::string_view rest);
    // Draws text at the pen without a line end; an empty text draws nothing.
    void PrintText(std::string_view text);

    // The first trigger in rest as PrintUpToNextCode finds it: its position and the index of its
    // rule in ControlChars. False when rest holds none.
    bool FindRule(std::string_view rest, std::size_t& position, std::size_t& ruleIndex) const;

private:
    struct CompiledRule {
        std::string trigger;
        ActionKind action = ActionKind::Ignore; // a code the table does not hold does nothing
        double value = 0;                       // the selector of a line-height action, the points of a font size
        std::size_t index = 0;                  // the rule's place in ControlChars
    };
    static CompiledRule Compile(const ControlChar& rule, const ActionTableType& table);

    // The first trigger in rest: the leftmost position, at a position the first rule in list
    // order. Returns false when there is none.
    bool FindTrigger(std::string_view rest, std::size_t& position, const CompiledRule*& rule) const;
    void CarryOut(const CompiledRule& rule);
    double ScriptShift() const;
    double Margin() const;
    // Begins a new page when a line of the current height no longer fits on this one.
    void KeepLineOnPage();

    const Settings& settings_;
    PrintEngineState& state_;
    Printer& printer_;
    Canvas& canvas_;
    bool jobHasLogo_;
    double pageHeight_; // the printable area's, read once: a job's orientation is fixed before it prints
    // Rules with a non-empty trigger, in list order; an empty trigger would match everywhere
    // without consuming text, so such a rule is left out.
    std::vector<CompiledRule> rules_;
    // For each byte, the indices into rules_ of the rules whose trigger starts with it, in list
    // order: at a position only those can match, so the outcome equals trying every rule.
    std::array<std::vector<std::uint32_t>, 256> byFirstByte_;
    std::string scratch_;
};

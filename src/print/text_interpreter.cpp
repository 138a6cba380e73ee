#include "text_interpreter.h"

#include "common/bytes.h"
#include "common/errors.h"
#include "common/numbers.h"
#include "logo_page.h"
#include "skip_errors.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <limits>

void ThrowOverlongLine(std::uint64_t length)
{
    throw OverflowError("Overflow: a line of " + std::to_string(length) + " characters is longer than the "
                        + std::to_string(MaxRestLength) + " characters that can be printed in one line");
}

double LineHeight(std::int16_t linesPerInch) { return linesPerInch > 0 ? 1440.0 / linesPerInch : TwipsPerCm; }

TextInterpreter::TextInterpreter(const Settings& settings, const Rules& rules, PrintEngineState& state,
                                 Printer& printer, Canvas& canvas, bool jobHasLogo)
    : settings_(settings), state_(state), printer_(printer), canvas_(canvas), jobHasLogo_(jobHasLogo),
      pageHeight_(std::numeric_limits<double>::infinity())
{
    // A printer that cannot tell its page size gets no page breaks of the interpreter's own.
    Skipping([&] { pageHeight_ = printer.PageHeight(); });
    const auto& controlChars = rules.ControlChars;
    for (std::size_t i = 1; i < controlChars.size(); ++i) {
        if (controlChars[i].AsciiCode.empty())
            continue;
        rules_.push_back(Compile(controlChars[i], rules.ActionTable));
        rules_.back().index = i;
    }
    for (std::size_t i = 0; i < rules_.size(); ++i) {
        auto first = static_cast<unsigned char>(rules_[i].trigger.front());
        byFirstByte_[first].push_back(static_cast<std::uint32_t>(i));
    }
}

TextInterpreter::CompiledRule TextInterpreter::Compile(const ControlChar& rule, const ActionTableType& table)
{
    CompiledRule compiled;
    compiled.trigger = rule.AsciiCode;
    const std::string code = LowerAscii(rule.ActionCode);
    if (code.empty())
        return compiled; // Ignore: the trigger is only dropped
    if (const ActionEntry* entry = FindNamedAction(table, code)) {
        compiled.action = entry->Kind;
        compiled.value = entry->Value;
        return compiled;
    }
    // A code the table does not hold does nothing, unless it is a font size as the rule editor
    // writes it; a size written with a decimal comma counts too.
    if (IsNumeric(code, ',')) {
        std::string dotted = code;
        for (char& c : dotted) {
            if (c == ',')
                c = '.';
        }
        try {
            compiled.value = LeadingNumber(dotted);
            compiled.action = ActionKind::FontSize;
        } catch (const OrvalinError&) {
            // too large for any number: a code that does nothing
        }
    }
    return compiled;
}

bool TextInterpreter::LogoPageOpen() const { return jobHasLogo_ && state_.PageCounter == 1; }

void TextInterpreter::EndLogoPage()
{
    FinishLogoPage(canvas_, printer_);
    ++state_.PageCounter;
    printer_.NewPage();
}

double TextInterpreter::Margin() const
{
    // The pen keeps single precision: 0.8 cm lands at 453.6 twips. A margin below zero (a
    // hand-edited settings file) counts as none: nothing is drawn left of the page.
    return static_cast<float>(std::max(0.0, settings_.LeftMargin) * TwipsPerCm);
}

void TextInterpreter::KeepLineOnPage()
{
    const double y = Target().CurrentY();
    // A page's first line always stays, so that a page shorter than one line still moves on.
    if (y <= 0 || y + LineHeight(state_.LinesPerInch) <= pageHeight_)
        return;
    if (LogoPageOpen())
        EndLogoPage();
    else
        printer_.NewPage();
}

DrawingTarget& TextInterpreter::Target() const
{
    if (LogoPageOpen())
        return canvas_;
    return printer_;
}

void TextInterpreter::PrintLine(std::string_view line)
{
    KeepLineOnPage();
    DrawingTarget& target = Target();
    target.SetCurrentX(Margin());
    std::string_view rest = line;
    while (!rest.empty())
        rest = PrintUpToNextCode(rest);
    // Read after the actions, so that a line-height action governs this line's own advance.
    const double y = target.CurrentY();
    target.PrintLineEnd();
    target.SetCurrentY(y + LineHeight(state_.LinesPerInch));
}

bool TextInterpreter::FindTrigger(std::string_view rest, std::size_t& position, const CompiledRule*& rule) const
{
    const std::size_t length = rest.size();
    const char* data = rest.data();
    for (std::size_t p = 0; p < length; ++p) {
        const auto& candidates = byFirstByte_[static_cast<unsigned char>(data[p])];
        for (std::uint32_t index : candidates) {
            const CompiledRule& candidate = rules_[index];
            const std::size_t size = candidate.trigger.size();
            if (size <= length - p && std::memcmp(data + p, candidate.trigger.data(), size) == 0) {
                position = p;
                rule = &candidate;
                return true;
            }
        }
    }
    return false;
}

bool TextInterpreter::FindRule(std::string_view rest, std::size_t& position, std::size_t& ruleIndex) const
{
    const CompiledRule* rule = nullptr;
    if (!FindTrigger(rest, position, rule))
        return false;
    ruleIndex = rule->index;
    return true;
}

std::string_view TextInterpreter::PrintUpToNextCode(std::string_view rest)
{
    if (rest.size() > MaxRestLength)
        ThrowOverlongLine(rest.size());
    std::size_t position = 0;
    const CompiledRule* rule = nullptr;
    if (!FindTrigger(rest, position, rule)) {
        PrintText(rest);
        return {};
    }
    if (position > 0)
        PrintText(rest.substr(0, position));
    CarryOut(*rule);
    return rest.substr(position + rule->trigger.size());
}

void TextInterpreter::PrintText(std::string_view text)
{
    if (text.empty())
        return;
    scratch_.assign(text);
    Target().PrintText(scratch_);
}

double TextInterpreter::ScriptShift() const { return LineHeight(state_.LinesPerInch) / 2.0; }

void TextInterpreter::CarryOut(const CompiledRule& rule)
{
    DrawingTarget& target = Target();
    switch (rule.action) {
    case ActionKind::Ignore:
    case ActionKind::Orientation: // chosen per job from the head of the file
        break;
    case ActionKind::PageBreak:
        Skipping([&] { target.PrintLineEnd(); });
        // While the logo page is open it is the job that ends the page; the canvas has no pages.
        if (!LogoPageOpen())
            Skipping([&] { target.NewPage(); });
        // The rest of the line goes on at the margin, so that a header line that starts with a
        // form feed lines up with the lines below it.
        Skipping([&] { target.SetCurrentX(Margin()); });
        break;
    case ActionKind::Tab:
        Skipping([&] { target.PrintText("\t"); });
        break;
    case ActionKind::BeginBold:
        Skipping([&] { target.SetFontBold(true); });
        break;
    case ActionKind::EndBold:
        Skipping([&] { target.SetFontBold(false); });
        break;
    case ActionKind::BeginItalic:
        Skipping([&] { target.SetFontItalic(true); });
        break;
    case ActionKind::EndItalic:
        Skipping([&] { target.SetFontItalic(false); });
        break;
    case ActionKind::BeginUnderline:
        Skipping([&] { target.SetFontUnderline(true); });
        break;
    case ActionKind::EndUnderline:
        Skipping([&] { target.SetFontUnderline(false); });
        break;
    case ActionKind::BeginSuperscript:
    case ActionKind::BeginSubscript: {
        const double shift = rule.action == ActionKind::BeginSuperscript ? -ScriptShift() : ScriptShift();
        Skipping([&] { state_.SavedFontSize = RoundToInt16(target.FontSize()); });
        Skipping([&] { target.SetCurrentY(target.CurrentY() + shift); });
        Skipping([&] { target.SetFontSize(ScriptFontSize); });
        break;
    }
    case ActionKind::EndSuperscript:
    case ActionKind::EndSubscript: {
        const double shift = rule.action == ActionKind::EndSuperscript ? ScriptShift() : -ScriptShift();
        Skipping([&] { target.SetCurrentY(target.CurrentY() + shift); });
        Skipping([&] { target.SetFontSize(state_.SavedFontSize); });
        break;
    }
    case ActionKind::LineHeight:
        state_.LinesPerInch = static_cast<std::int16_t>(rule.value);
        break;
    case ActionKind::FontSize:
        Skipping([&] { target.SetFontSize(rule.value); });
        break;
    }
}

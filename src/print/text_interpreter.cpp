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

double LineHeight(std::int16_t linesPerInch)
{
    return linesPerInch > 0 ? 1440.0 / linesPerInch : TwipsPerCm;
}

TextInterpreter::TextInterpreter(Global& global, Printer& printer, Canvas& canvas)
    : global_(global), printer_(printer), canvas_(canvas), pageHeight_(std::numeric_limits<double>::infinity())
{
    // A printer that cannot tell its page size gets no page breaks of the interpreter's own.
    Skipping([&] { pageHeight_ = printer.PageHeight(); });
    const auto& controlChars = global.rules.ControlChars;
    for (std::size_t i = 1; i < controlChars.size(); ++i) {
        if (controlChars[i].AsciiCode.empty())
            continue;
        rules_.push_back(Compile(controlChars[i], global.rules.ActionTable));
        rules_.back().index = i;
    }
    for (std::size_t i = 0; i < rules_.size(); ++i) {
        auto first = static_cast<unsigned char>(rules_[i].trigger.front());
        byFirstByte_[first].push_back(static_cast<std::uint32_t>(i));
    }
}

TextInterpreter::CompiledRule TextInterpreter::Compile(const ControlChar& rule, const ActionTableType& table)
{
    struct Meaning {
        Action action;
        double value;
    };
    // What the entries 1 to 20 of the action table do, in the table's order ("np" … "ol").
    static constexpr Meaning meanings[] = {
        {Action::PageBreak, 0},        {Action::Tab, 0},
        {Action::BeginBold, 0},        {Action::EndBold, 0},
        {Action::BeginItalic, 0},      {Action::EndItalic, 0},
        {Action::BeginUnderline, 0},   {Action::EndUnderline, 0},
        {Action::BeginSuperscript, 0}, {Action::EndSuperscript, 0},
        {Action::BeginSubscript, 0},   {Action::EndSubscript, 0},
        {Action::LineHeight, 6},       {Action::LineHeight, 8},
        {Action::LineHeight, 12},      {Action::LineHeight, 4},
        {Action::LineHeight, 3},       {Action::LineHeight, -1},
        {Action::Orientation, 0},      {Action::Orientation, 0},
    };
    static_assert(std::size(meanings) == IgnoreActionIndex - 1);

    CompiledRule compiled;
    compiled.trigger = rule.AsciiCode;
    const std::string code = LowerAscii(rule.ActionCode);
    if (code.empty())
        return compiled; // Ignore: the trigger is only dropped
    // Entry 0's code "0" is never a stored action: a "0" is a font size like any number.
    if (const int index = FindActionByCode(table, code); index > FontSizeActionIndex && index < IgnoreActionIndex) {
        compiled.action = meanings[index - 1].action;
        compiled.value = meanings[index - 1].value;
        return compiled;
    }
    compiled.action = Action::Unknown;
    // A font size, as the rule editor writes it; a size written with a decimal comma counts too.
    if (IsNumeric(code, ',')) {
        std::string dotted = code;
        for (char& c : dotted) {
            if (c == ',')
                c = '.';
        }
        try {
            compiled.value = LeadingNumber(dotted);
            compiled.action = Action::FontSize;
        } catch (const OrvalinError&) {
            // too large for any number: a code that does nothing
        }
    }
    return compiled;
}

bool TextInterpreter::LogoPageOpen() const
{
    return global_.print.JobHasLogo && global_.print.PageCounter == 1;
}

void TextInterpreter::EndLogoPage()
{
    FinishLogoPage(canvas_, printer_);
    ++global_.print.PageCounter;
    printer_.NewPage();
}

double TextInterpreter::Margin() const
{
    // The pen keeps single precision: 0.8 cm lands at 453.6 twips. A margin below zero (a
    // hand-edited settings file) counts as none: nothing is drawn left of the page.
    return static_cast<float>(std::max(0.0, global_.settings.LeftMargin) * TwipsPerCm);
}

void TextInterpreter::KeepLineOnPage()
{
    const double y = Target().CurrentY();
    // A page's first line always stays, so that a page shorter than one line still moves on.
    if (y <= 0 || y + LineHeight(global_.print.LinesPerInch) <= pageHeight_)
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
    target.SetCurrentY(y + LineHeight(global_.print.LinesPerInch));
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

double TextInterpreter::ScriptShift() const
{
    return LineHeight(global_.print.LinesPerInch) / 2.0;
}

void TextInterpreter::CarryOut(const CompiledRule& rule)
{
    DrawingTarget& target = Target();
    auto& print = global_.print;
    switch (rule.action) {
    case Action::Ignore:
    case Action::Unknown:
    case Action::Orientation: // chosen per job from the head of the file
        break;
    case Action::PageBreak:
        Skipping([&] { target.PrintLineEnd(); });
        // While the logo page is open it is the job that ends the page; the canvas has no pages.
        if (!LogoPageOpen())
            Skipping([&] { target.NewPage(); });
        // The rest of the line goes on at the margin, so that a header line that starts with a
        // form feed lines up with the lines below it.
        Skipping([&] { target.SetCurrentX(Margin()); });
        break;
    case Action::Tab:
        Skipping([&] { target.PrintText("\t"); });
        break;
    case Action::BeginBold:
        Skipping([&] { target.SetFontBold(true); });
        break;
    case Action::EndBold:
        Skipping([&] { target.SetFontBold(false); });
        break;
    case Action::BeginItalic:
        Skipping([&] { target.SetFontItalic(true); });
        break;
    case Action::EndItalic:
        Skipping([&] { target.SetFontItalic(false); });
        break;
    case Action::BeginUnderline:
        Skipping([&] { target.SetFontUnderline(true); });
        break;
    case Action::EndUnderline:
        Skipping([&] { target.SetFontUnderline(false); });
        break;
    case Action::BeginSuperscript:
    case Action::BeginSubscript: {
        const double shift = rule.action == Action::BeginSuperscript ? -ScriptShift() : ScriptShift();
        Skipping([&] { print.SavedFontSize = RoundToInt16(target.FontSize()); });
        Skipping([&] { target.SetCurrentY(target.CurrentY() + shift); });
        Skipping([&] { target.SetFontSize(ScriptFontSize); });
        break;
    }
    case Action::EndSuperscript:
    case Action::EndSubscript: {
        const double shift = rule.action == Action::EndSuperscript ? ScriptShift() : -ScriptShift();
        Skipping([&] { target.SetCurrentY(target.CurrentY() + shift); });
        Skipping([&] { target.SetFontSize(print.SavedFontSize); });
        break;
    }
    case Action::LineHeight:
        print.LinesPerInch = static_cast<std::int16_t>(rule.value);
        break;
    case Action::FontSize:
        Skipping([&] { target.SetFontSize(rule.value); });
        break;
    }
}

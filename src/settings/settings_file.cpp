#include "settings_file.h"

#include "common/bytes.h"
#include "common/errors.h"
#include "common/numbers.h"
#include "platform/paths.h"
#include "platform/replace_file.h"
#include "rule_line.h"
#include "sort_rules.h"

#include <QFile>
#include <QString>

#include <cmath>
#include <limits>
#include <vector>

namespace {

const char* const ValueNames[] = {"PrinterName",   "FontName",    "FontSize",      "PollInterval",
                                  "LeftMargin",    "SpoolFolder", "SpoolFileName", "LogoFile",
                                  "LogoCondition", "LogoX",       "LogoY"};
constexpr std::size_t ValueCount = 11;

QString QPath(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

std::string ReadAll(const std::filesystem::path& file)
{
    QFile in(QPath(file));
    if (!in.open(QIODevice::ReadOnly))
        throw OrvalinError("it cannot be opened for reading (" + in.errorString().toStdString() + ")");
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError)
        throw OrvalinError("it cannot be read (" + in.errorString().toStdString() + ")");
    return bytes.toStdString();
}

// Lines end with CR LF; a last line without a line end still counts.
std::vector<std::string> SplitLines(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        const std::size_t next = end == std::string::npos ? bytes.size() : end + 1;
        if (end == std::string::npos)
            end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = next;
    }
    return lines;
}

std::string LineRef(std::size_t index)
{
    const std::string name = index < ValueCount ? std::string(" (") + ValueNames[index] + ")" : std::string();
    return "line " + std::to_string(index + 1) + name;
}

// A quoted value is everything between the first and the last double quote of its line, so a value
// that holds a double quote reads back as written. An unquoted line is taken whole, blanks trimmed.
std::string TextValue(const std::string& line)
{
    const std::size_t first = line.find('"');
    if (first == std::string::npos)
        return TrimBlanks(line);
    const std::size_t last = line.rfind('"');
    if (last == first)
        return line.substr(first + 1);
    return line.substr(first + 1, last - first - 1);
}

double NumberValue(const std::vector<std::string>& lines, std::size_t index)
{
    double value = 0;
    if (!ParseInvariantNumber(lines[index], value))
        throw OrvalinError(LineRef(index) + " holds \"" + lines[index] + "\", which is not a number");
    return value;
}

template <typename Convert>
auto Converted(const std::vector<std::string>& lines, std::size_t index, Convert convert)
{
    const double value = NumberValue(lines, index);
    try {
        return convert(value);
    } catch (const OverflowError&) {
        throw OrvalinError(LineRef(index) + " holds " + lines[index] + ", which is out of range");
    }
}

float ToFloat(double value)
{
    if (std::fabs(value) > double(std::numeric_limits<float>::max()))
        throw OverflowError();
    return static_cast<float>(value);
}

void ReadSettingsFile(const std::filesystem::path& file, Settings& s, Rules& rules, const SettingsEnvironment& env)
{
    const std::string bytes = ReadAll(file);
    const std::vector<std::string> lines = SplitLines(bytes);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find('\0') != std::string::npos)
            throw OrvalinError(LineRef(i) + " holds a NUL byte");
    }
    if (lines.size() < ValueCount) {
        throw OrvalinError("it ends after " + std::to_string(lines.size()) + " of its " + std::to_string(ValueCount)
                           + " values; " + ValueNames[lines.size()] + " is missing");
    }
    Settings read;
    read.PrinterName = TextValue(lines[0]);
    read.FontName = TextValue(lines[1]);
    read.FontSize = Converted(lines, 2, RoundToInt16);
    read.PollInterval = Converted(lines, 3, RoundToInt32);
    read.LeftMargin = NumberValue(lines, 4);
    read.SpoolFolder = TextValue(lines[5]);
    read.SpoolFileName = TextValue(lines[6]);
    read.LogoFile = TextValue(lines[7]);
    read.LogoCondition = TextValue(lines[8]);
    read.LogoX = Converted(lines, 9, ToFloat);
    read.LogoY = Converted(lines, 10, ToFloat);

    read.LogoEnabled = !TrimBlanks(read.LogoFile).empty();
    if (read.LogoEnabled)
        read.LogoEnabled = env.FileExists && env.FileExists(read.LogoFile);

    // Rules are parsed into a fresh list first, so a bad rule line leaves nothing half loaded.
    Rules loaded;
    loaded.LandscapeChars = rules.LandscapeChars;
    loaded.PortraitChars = rules.PortraitChars;
    for (std::size_t i = ValueCount; i < lines.size(); ++i) {
        const std::string text = TextValue(lines[i]);
        if (text.empty())
            continue;
        if (loaded.HighestIndex() >= MaxRules)
            throw OrvalinError("it holds more than " + std::to_string(MaxRules) + " rules");
        try {
            loaded.ControlChars.push_back(ParseRuleLine(text, loaded));
        } catch (const OrvalinError& e) {
            throw OrvalinError(LineRef(i) + ": " + e.what());
        }
    }
    SortRules(loaded.ControlChars, env.ProcessEvents);

    s = read;
    rules.ControlChars = std::move(loaded.ControlChars);
    rules.LandscapeChars = loaded.LandscapeChars;
    rules.PortraitChars = loaded.PortraitChars;
}

} // namespace

void LoadSettings(const std::filesystem::path& file, Settings& settings, Rules& rules, const SettingsEnvironment& env)
{
    rules.ActionTable = BuildActionTable();
    if (!IsRegularFile(file)) { // a link is followed: the settings may live elsewhere
        rules.ResetControlChars();
        const SettingsDefaults defaults = env.MakeDefaults ? env.MakeDefaults() : SettingsDefaults{};
        settings = Settings{};
        settings.LogoFile.clear();
        settings.LogoCondition.clear();
        settings.LogoX = settings.LogoY = 0;
        settings.LogoEnabled = false;
        settings.PrinterName = defaults.PrinterName;
        settings.FontName = defaults.FontName;
        settings.FontSize = 10;
        settings.PollInterval = 3000;
        settings.LeftMargin = 0.8;
        settings.SpoolFolder = defaults.SpoolFolder;
        settings.SpoolFileName = "text.txt";
        SaveSettings(file, settings, rules);
    } else {
        try {
            ReadSettingsFile(file, settings, rules, env);
        } catch (const OrvalinError& e) {
            throw OrvalinError("The settings file " + file.string() + " cannot be used: " + e.what() + ".");
        }
    }
    if (settings.SpoolFolder.empty() || settings.SpoolFolder.back() != PathSeparator)
        settings.SpoolFolder += PathSeparator;
}

std::string SettingsFileBytes(const Settings& s, const Rules& rules)
{
    const auto quoted = [](const std::string& text) { return "\"" + text + "\"\r\n"; };
    const auto bare = [](const std::string& number) { return number + "\r\n"; };
    std::string bytes;
    bytes += quoted(s.PrinterName);
    bytes += quoted(s.FontName);
    bytes += bare(std::to_string(s.FontSize));
    bytes += bare(std::to_string(s.PollInterval));
    bytes += bare(InvariantNumber(s.LeftMargin));
    bytes += quoted(s.SpoolFolder);
    bytes += quoted(s.SpoolFileName);
    bytes += quoted(s.LogoFile);
    bytes += quoted(s.LogoCondition);
    bytes += bare(InvariantNumber(s.LogoX));
    bytes += bare(InvariantNumber(s.LogoY));
    for (int i = 1; i <= rules.HighestIndex(); ++i)
        bytes += quoted(FormatRuleLine(rules.ControlChars[i]));
    return bytes;
}

void SaveSettings(const std::filesystem::path& file, const Settings& settings, const Rules& rules)
{
    const std::string bytes = SettingsFileBytes(settings, rules);
    try {
        WriteFileReplacing(file, bytes);
    } catch (const OrvalinError& e) {
        throw OrvalinError("The settings file " + file.string() + " cannot be written (" + e.what() + ").");
    }
}

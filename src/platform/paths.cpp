#include "paths.h"

#include "code_pages.h"

#include <QList>
#include <QString>

#include <algorithm>
#include <system_error>

std::filesystem::path PathFromAnsi(const std::string& ansi)
{
    const std::string utf8 = AnsiCodePage().ToUtf8(ansi);
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string AnsiFromPath(const std::filesystem::path& path)
{
    const std::u8string utf8 = path.u8string();
    return AnsiCodePage().FromUtf8(std::string(utf8.begin(), utf8.end()));
}

bool IsRegularFile(const std::filesystem::path& path)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

namespace {

// Case folding as the desktop's own file names fold: per character, so "Á" matches "á".
std::u32string Folded(std::string_view utf8)
{
    const QList<uint> characters =
        QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())).toCaseFolded().toUcs4();
    return std::u32string(characters.begin(), characters.end());
}

bool Match(std::u32string_view pattern, std::u32string_view name)
{
    // Iterative matching with one backtrack point for the last "*": linear in practice.
    std::size_t p = 0, n = 0, starP = std::u32string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == U'*') {
            starP = p++;
            starN = n;
        } else if (starP != std::u32string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*')
        ++p;
    return p == pattern.size();
}

} // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name)
{
    const std::u32string foldedPattern = Folded(pattern);
    const std::u32string foldedName = Folded(name);
    if (Match(foldedPattern, foldedName))
        return true;
    // "name.*" stands for the name with any extension or none, as on the original desktop.
    const std::u32string_view view(foldedPattern);
    return view.size() >= 2 && view.substr(view.size() - 2) == U".*"
           && Match(view.substr(0, view.size() - 2), foldedName);
}

std::vector<std::filesystem::path> SpoolSearch(const std::filesystem::path& folder, std::string_view pattern,
                                               std::error_code& error)
{
    error.clear();
    std::vector<std::filesystem::path> files;
    if (pattern.empty())
        return files;
    std::filesystem::directory_iterator it(folder, error);
    // Incremented by hand: a read error in the middle of the listing must not throw.
    for (const std::filesystem::directory_iterator end; !error && it != end; it.increment(error)) {
        const std::filesystem::path& path = it->path();
        const std::u8string name = path.filename().u8string();
        if (name.empty() || name.front() == u8'.')
            continue;
        std::error_code statusError;
        const std::filesystem::file_status status = it->symlink_status(statusError);
        if (statusError || !std::filesystem::is_regular_file(status))
            continue;
        if (WildcardMatch(pattern, std::string_view(reinterpret_cast<const char*>(name.data()), name.size())))
            files.push_back(path);
    }
    std::sort(files.begin(), files.end());
    return files;
}

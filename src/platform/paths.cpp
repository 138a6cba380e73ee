#include "paths.h"

#include "code_pages.h"

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

bool IsOrdinaryFile(const std::filesystem::path& path)
{
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(path, ec);
    if (ec || !std::filesystem::is_regular_file(status))
        return false;
    const std::string name = path.filename().string();
    return !name.empty() && name.front() != '.';
}

bool WildcardMatch(std::string_view pattern, std::string_view name)
{
    // Iterative matching with one backtrack point for the last "*": linear in practice.
    std::size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

std::vector<std::string> DirectorySearch(const std::string& pattern)
{
    std::error_code ignored;
    return DirectorySearch(pattern, ignored);
}

std::vector<std::string> DirectorySearch(const std::string& pattern, std::error_code& error)
{
    error.clear();
    std::vector<std::string> names;
    const std::size_t cut = pattern.rfind(PathSeparator);
    const std::string folder = cut == std::string::npos ? std::string(".") : pattern.substr(0, cut + 1);
    const std::string namePattern = cut == std::string::npos ? pattern : pattern.substr(cut + 1);
    if (namePattern.empty())
        return names;
    std::error_code ec;
    std::filesystem::directory_iterator it(PathFromAnsi(folder), ec);
    if (ec) {
        if (ec != std::errc::no_such_file_or_directory)
            error = ec; // a missing folder simply holds nothing
        return names;
    }
    for (const auto& entry : it) {
        const std::string name = AnsiFromPath(entry.path().filename());
        if (WildcardMatch(namePattern, name) && IsOrdinaryFile(entry.path()))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

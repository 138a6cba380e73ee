#include "folders.h"

#include "paths.h"

std::string CutAtNull(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }

namespace {

bool IsRoot(std::string_view folder)
{
    if (folder.size() == 1)
        return true; // "/" alone
    // A drive root such as "C:\" (or "C:/" where "/" is the separator).
    return folder.size() >= 2 && folder[folder.size() - 2] == ':';
}

} // namespace

std::string BrowseStartFolder(std::string_view folder)
{
    if (!folder.empty() && folder.back() == PathSeparator && !IsRoot(folder))
        folder.remove_suffix(1);
    return std::string(folder);
}

std::string WithTrailingSeparator(std::string_view folder)
{
    std::string result(folder);
    if (result.empty() || result.back() != PathSeparator)
        result += PathSeparator;
    return result;
}

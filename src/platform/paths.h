// File names and the directory search. Setting texts hold paths in the ANSI code page; they are
// turned into native paths here, at the edge.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

// The native separator: "/" here, "\\" on Windows.
inline constexpr char PathSeparator = static_cast<char>(std::filesystem::path::preferred_separator);

std::filesystem::path PathFromAnsi(const std::string& ansi);
std::string AnsiFromPath(const std::filesystem::path& path);

// A regular file, following symbolic links: what a file named by the user (the one-shot file, the
// logo file) must be.
bool IsRegularFile(const std::filesystem::path& path);

// Matches a file name as the original desktop does, both texts in UTF-8: letters match whatever
// their case, "*" matches any run of characters, "?" any one character, and a pattern ending in
// ".*" also matches a name without a dot ("*.*" matches every name).
bool WildcardMatch(std::string_view pattern, std::string_view name);

// The ordinary files of folder whose names match pattern (UTF-8), as full paths in name order.
// The names are used exactly as the file system gives them, never through a code page, so a name
// that no code page holds is found and opened all the same. A folder that does not exist or cannot
// be listed, or an entry that cannot be read, sets error and gives the names found so far.
std::vector<std::filesystem::path> SpoolSearch(const std::filesystem::path& folder, std::string_view pattern,
                                               std::error_code& error);

// File names and the directory search. Setting texts hold paths in the ANSI code page; they are
// turned into native paths here, at the edge.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#ifdef _WIN32
inline constexpr char PathSeparator = '\\';
#else
inline constexpr char PathSeparator = '/';
#endif

std::filesystem::path PathFromAnsi(const std::string& ansi);
std::string AnsiFromPath(const std::filesystem::path& path);

// An ordinary file: a regular file that is not a symbolic link and whose name does not start
// with "." (the hidden files of this desktop).
bool IsOrdinaryFile(const std::filesystem::path& path);

// "*" matches any run of characters, "?" any one character; everything else matches itself.
bool WildcardMatch(std::string_view pattern, std::string_view name);

// The bare names of the ordinary files matching the last component of pattern (an ANSI path whose
// name may hold wildcards), in name order. A folder that does not exist or cannot be listed
// gives no names.
std::vector<std::string> DirectorySearch(const std::string& pattern);
// The same, telling why a folder that exists could not be listed (error stays clear otherwise).
std::vector<std::string> DirectorySearch(const std::string& pattern, std::error_code& error);

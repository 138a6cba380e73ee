// The string handling around the folder chooser, and cutting a platform text at its NUL.
#pragma once

#include <string>
#include <string_view>

// The part of text before its first NUL character; a text without a NUL comes back whole.
std::string CutAtNull(std::string_view text);

// The folder the chooser opens at: one final separator removed, except from a root ("/", "C:\"),
// which keeps it.
std::string BrowseStartFolder(std::string_view folder);

// The folder with the separator at its end, added only when it is not there yet.
std::string WithTrailingSeparator(std::string_view folder);

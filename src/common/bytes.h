// Small helpers on byte strings (settings texts, trigger sequences, spool lines).
#pragma once

#include <string>
#include <string_view>

// Leading and trailing blanks (spaces) removed.
std::string TrimBlanks(std::string_view text);

// ASCII letters turned to lower case; every other byte kept.
std::string LowerAscii(std::string_view text);

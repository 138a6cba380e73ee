// The spool files the print benchmark prints: CP852 letters, a form feed every 66 lines, style
// escapes every few lines, and the dozen rules of a legacy program's printer set-up that take them.
#pragma once

#include "settings/global.h"

#include <filesystem>

void AddBenchRules(Global& global);

// The spool file, and beside it plainPath: the same text without escapes, in UTF-8, for CUPS's
// text filter.
void WriteBenchSpoolFile(const std::filesystem::path& path, const std::filesystem::path& plainPath, int lines);

// Orvalin's own files are never spool files, whatever the watched pattern: a "*.ini" in the
// program's folder must not print and delete the settings, nor "*.pdf" in the built-in printer's
// folder the documents it filed.
#pragma once

#include <filesystem>
#include <vector>

// Removes from files (found in folder) the files named in ownFiles and, when folder is ownFolder,
// all of them. Links are resolved on both sides, so another spelling of a folder changes nothing.
void DropOwnFiles(const std::filesystem::path& folder, std::vector<std::filesystem::path>& files,
                  const std::vector<std::filesystem::path>& ownFiles, const std::filesystem::path& ownFolder);

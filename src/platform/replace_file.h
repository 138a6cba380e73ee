// Writes a file's whole content through a temporary file in the same folder that is renamed over
// the old one only when every byte has reached the disk: a failed write (read-only folder, full
// disk) leaves the old file as it was. A symbolic link is followed: its target is replaced and the
// link kept.
#pragma once

#include <filesystem>
#include <string>

// Throws OrvalinError with the system's description when the file cannot be written.
void WriteFileReplacing(const std::filesystem::path& file, const std::string& bytes);

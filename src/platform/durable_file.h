// Writing a file whose bytes must reach the disk before it counts: every write checked, the file
// and the folder that names it flushed to the disk. Each returns 0 or the system's error number,
// which the caller puts into its own message.
#pragma once

#include <filesystem>
#include <string_view>

// Writes every byte to the open file, going on after an interruption; a write that takes no byte
// counts as a full disk (ENOSPC).
int WriteAllBytes(int descriptor, std::string_view bytes);
// The open file's bytes to the disk.
int SyncFile(int descriptor);
// The folder's entries (a file just created or renamed in it) to the disk.
int SyncFolder(const std::filesystem::path& folder);

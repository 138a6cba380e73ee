// What the file system says about one file: its identity, size and times.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <system_error>

struct FileStatus {
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    std::int64_t Size = 0;
    std::int64_t ModifiedSeconds = 0;
    std::int64_t ModifiedNanoseconds = 0;
    std::int64_t ChangedSeconds = 0;
    std::int64_t ChangedNanoseconds = 0;
    bool Regular = false; // a regular file, not a device, pipe or folder

    bool operator==(const FileStatus&) const = default;
};

// The file a path names now, following links; empty when there is no such file. Throws
// OrvalinError ("The file … cannot be read: <reason>") when it cannot be examined.
std::optional<FileStatus> FileStatusOf(const std::filesystem::path& path);

// The file behind an open descriptor; throws std::system_error with the system's error code when
// it cannot be examined.
FileStatus FileStatusOfOpen(int descriptor);

#include "file_status.h"

#include "common/errors.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

FileStatus StatusOf(const struct stat& info)
{
    FileStatus status;
    status.Device = static_cast<std::uint64_t>(info.st_dev);
    status.Inode = static_cast<std::uint64_t>(info.st_ino);
    status.Size = static_cast<std::int64_t>(info.st_size);
    status.ModifiedSeconds = static_cast<std::int64_t>(info.st_mtim.tv_sec);
    status.ModifiedNanoseconds = static_cast<std::int64_t>(info.st_mtim.tv_nsec);
    status.ChangedSeconds = static_cast<std::int64_t>(info.st_ctim.tv_sec);
    status.ChangedNanoseconds = static_cast<std::int64_t>(info.st_ctim.tv_nsec);
    status.Regular = S_ISREG(info.st_mode);
    return status;
}

} // namespace

std::optional<FileStatus> FileStatusOf(const std::filesystem::path& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT)
            return std::nullopt;
        throw OrvalinError("The file " + path.string() + " cannot be read: " + std::strerror(errno));
    }
    return StatusOf(info);
}

FileStatus FileStatusOfOpen(int descriptor)
{
    struct stat info {};
    if (::fstat(descriptor, &info) != 0)
        throw std::system_error(errno, std::generic_category());
    return StatusOf(info);
}

#include "spool_file.h"

#include "common/errors.h"
#include "platform/file_status.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Large enough that a huge file costs few system calls, small enough that memory stays flat.
constexpr std::size_t BufferSize = 64 * 1024;

FileStamp StampOf(const FileStatus& info)
{
    FileStamp stamp;
    stamp.device = info.Device;
    stamp.inode = info.Inode;
    stamp.size = info.Size;
    stamp.modifiedSeconds = info.ModifiedSeconds;
    stamp.modifiedNanoseconds = info.ModifiedNanoseconds;
    stamp.changedSeconds = info.ChangedSeconds;
    stamp.changedNanoseconds = info.ChangedNanoseconds;
    return stamp;
}

std::string Describe(const std::filesystem::path& path, const char* what, int error)
{
    return "The file " + path.string() + " cannot be " + what + ": " + std::strerror(error);
}

} // namespace

std::optional<FileStamp> StampOfPath(const std::filesystem::path& path)
{
    try {
        const std::optional<FileStatus> info = FileStatusOf(path);
        if (!info)
            return std::nullopt;
        return StampOf(*info);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

SpoolReader::SpoolReader(const std::filesystem::path& path) : buffer_(BufferSize), path_(path)
{
    // Not blocking: a named pipe without a writer must not hang the job; it is refused below.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0)
        throw OrvalinError(Describe(path, "opened", errno));
    FileStatus info;
    try {
        info = FileStatusOfOpen(fd_);
    } catch (const std::system_error& e) {
        ::close(fd_);
        throw OrvalinError(Describe(path, "examined", e.code().value()));
    }
    // Only a regular file has an end: a device or a pipe could be read for ever.
    if (!info.Regular) {
        ::close(fd_);
        throw OrvalinError("The file " + path.string() + " cannot be printed: it is not a regular file");
    }
    stamp_ = StampOf(info);
}

SpoolReader::~SpoolReader()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool SpoolReader::Fill()
{
    if (eof_)
        return false;
    for (;;) {
        const ssize_t count = ::read(fd_, buffer_.data(), buffer_.size());
        if (count > 0) {
            position_ = 0;
            end_ = static_cast<std::size_t>(count);
            return true;
        }
        if (count == 0) {
            eof_ = true;
            position_ = end_ = 0;
            return false;
        }
        if (errno != EINTR)
            throw SpoolContentError(Describe(path_, "read", errno));
    }
}

void SpoolReader::Rewind()
{
    if (::lseek(fd_, 0, SEEK_SET) != 0)
        throw SpoolContentError("The file " + path_.string() + " cannot be read again from its start.");
    position_ = end_ = 0;
    eof_ = false;
}

bool SpoolReader::AtEnd()
{
    return position_ == end_ && !Fill();
}

#include "durable_file.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

int WriteAllBytes(int descriptor, std::string_view bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t count = ::write(descriptor, bytes.data() + done, bytes.size() - done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return count < 0 ? errno : ENOSPC;
        done += static_cast<std::size_t>(count);
    }
    return 0;
}

int SyncFile(int descriptor) { return ::fsync(descriptor) == 0 ? 0 : errno; }

int SyncFolder(const std::filesystem::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    const int error = errno;
    if (fd >= 0)
        ::close(fd);
    return synced ? 0 : error;
}

#include "replace_file.h"

#include "common/errors.h"
#include "durable_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Describe(int error) { return std::strerror(error); }

// The new file keeps the old one's permissions; a new file gets the usual ones under the umask.
mode_t ModeFor(const std::filesystem::path& file)
{
    struct stat old {};
    if (::stat(file.c_str(), &old) == 0)
        return old.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The file a name leads to through any symbolic links: saving through a link replaces its target,
// beside the target, and keeps the link.
std::filesystem::path LinkTarget(std::filesystem::path file)
{
    std::error_code error;
    for (int hops = 0; hops < 40 && std::filesystem::is_symlink(file, error); ++hops) {
        const std::filesystem::path next = std::filesystem::read_symlink(file, error);
        if (error)
            break;
        file = next.is_absolute() ? next : file.parent_path() / next;
    }
    return file;
}

} // namespace

void WriteFileReplacing(const std::filesystem::path& link, const std::string& bytes)
{
    const std::filesystem::path file = LinkTarget(link);
    // Every return value is checked: a short write on a full disk must not pass as success.
    std::string temporary = file.string() + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        throw OrvalinError(Describe(errno));
    const auto fail = [&](int error) {
        ::close(fd);
        ::unlink(temporary.c_str());
        throw OrvalinError(Describe(error));
    };
    if (const int error = WriteAllBytes(fd, bytes); error != 0)
        fail(error);
    if (::fchmod(fd, ModeFor(file)) != 0)
        fail(errno);
    if (const int error = SyncFile(fd); error != 0)
        fail(error);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        throw OrvalinError(Describe(error));
    }
    if (::rename(temporary.c_str(), file.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        throw OrvalinError(Describe(error));
    }
}

#include "spool_claim.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A writer that opens the file while the probing lease is held makes the kernel signal the lease
// holder with SIGIO, whose default action would end the program.
void IgnoreLeaseBreaks()
{
    static const bool ignored = [] {
        std::signal(SIGIO, SIG_IGN);
        return true;
    }();
    (void)ignored;
}

bool IsNumber(const char* text)
{
    if (*text == '\0')
        return false;
    for (; *text != '\0'; ++text) {
        if (*text < '0' || *text > '9')
            return false;
    }
    return true;
}

// Whether the descriptor fd of process pid is open for writing, read from its fdinfo "flags:".
bool OpenedForWriting(const std::string& pid, const char* fd)
{
    std::ifstream info("/proc/" + pid + "/fdinfo/" + fd);
    std::string key;
    while (info >> key) {
        if (key == "flags:") {
            std::string octal;
            info >> octal;
            const long flags = std::strtol(octal.c_str(), nullptr, 8);
            return (flags & O_ACCMODE) == O_WRONLY || (flags & O_ACCMODE) == O_RDWR;
        }
    }
    return false;
}

// Looks through every process's open files for the file, open for writing. Only the processes this
// user may inspect are seen; the rest cannot be told apart from none.
WriterState WritersInProc(const std::filesystem::path& file)
{
    std::error_code error;
    const std::string target = std::filesystem::canonical(file, error).string();
    if (error)
        return WriterState::Unknown;
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr)
        return WriterState::Unknown;
    WriterState state = WriterState::None;
    std::string link(target.size() + 1, '\0');
    while (state == WriterState::None) {
        const dirent* process = ::readdir(proc);
        if (process == nullptr)
            break;
        if (!IsNumber(process->d_name))
            continue;
        const std::string pid = process->d_name;
        DIR* fds = ::opendir(("/proc/" + pid + "/fd").c_str());
        if (fds == nullptr)
            continue;
        while (const dirent* fd = ::readdir(fds)) {
            if (!IsNumber(fd->d_name))
                continue;
            // One byte more than the target: a longer link is another file.
            const ssize_t length = ::readlink(("/proc/" + pid + "/fd/" + fd->d_name).c_str(), link.data(), link.size());
            if (length == static_cast<ssize_t>(target.size()) && link.compare(0, target.size(), target) == 0
                && OpenedForWriting(pid, fd->d_name)) {
                state = WriterState::Writing;
                break;
            }
        }
        ::closedir(fds);
    }
    ::closedir(proc);
    return state;
}

} // namespace

WriterState OpenWriters(const std::filesystem::path& file)
{
    IgnoreLeaseBreaks();
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return WriterState::Unknown;
    if (::fcntl(fd, F_SETLEASE, F_RDLCK) == 0) {
        ::fcntl(fd, F_SETLEASE, F_UNLCK);
        ::close(fd);
        return WriterState::None;
    }
    const int error = errno;
    ::close(fd);
    if (error == EAGAIN)
        return WriterState::Writing;
    // Not the file's owner, or a file system without leases.
    return WritersInProc(file);
}

std::unique_ptr<SpoolClaim> SpoolClaim::Take(const std::filesystem::path& file)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        // Gone: another instance printed it. Otherwise the job's own open tells what is wrong.
        return errno == ENOENT ? nullptr : std::unique_ptr<SpoolClaim>(new SpoolClaim(-1));
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EWOULDBLOCK) {
            ::close(fd);
            return nullptr;
        }
        return std::unique_ptr<SpoolClaim>(new SpoolClaim(fd)); // a file system without locks
    }
    // The lock may have come after its holder printed and deleted the file, or a new job took the
    // name meanwhile: only the file the name still leads to is ours.
    struct stat locked {};
    struct stat named {};
    if (::fstat(fd, &locked) != 0 || locked.st_nlink == 0 || ::stat(file.c_str(), &named) != 0
        || named.st_dev != locked.st_dev || named.st_ino != locked.st_ino) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<SpoolClaim>(new SpoolClaim(fd));
}

SpoolClaim::~SpoolClaim()
{
    if (fd_ >= 0)
        ::close(fd_);
}

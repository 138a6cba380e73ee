// Loaded with LD_PRELOAD into the real program: every read of a file whose path holds "READ-ERROR"
// fails with EIO, as a failing disk would. Everything else reads as usual.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <unistd.h>

extern "C" ssize_t read(int fd, void* buffer, size_t count)
{
    using Read = ssize_t (*)(int, void*, size_t);
    static const Read real = reinterpret_cast<Read>(dlsym(RTLD_NEXT, "read"));
    char link[64];
    char target[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = ::readlink(link, target, sizeof target - 1);
    if (length > 0) {
        target[length] = '\0';
        if (std::strstr(target, "READ-ERROR") != nullptr) {
            errno = EIO;
            return -1;
        }
    }
    return real(fd, buffer, count);
}

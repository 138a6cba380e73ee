#include "checked_output.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

CheckedOutput::CheckedOutput(int fd) : fd_(fd) { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }

bool CheckedOutput::Sync()
{
    if (failure_ == 0 && ::fsync(fd_) != 0)
        failure_ = errno;
    return failure_ == 0;
}

qint64 CheckedOutput::readData(char*, qint64) { return -1; }

qint64 CheckedOutput::writeData(const char* data, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t written = ::write(fd_, data + done, static_cast<std::size_t>(size - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            // A later write may succeed again (the disk freed meanwhile); the document stays broken.
            if (failure_ == 0)
                failure_ = written < 0 ? errno : ENOSPC;
            setErrorString(QString::fromLocal8Bit(std::strerror(failure_)));
            return -1;
        }
        done += written;
    }
    return size;
}

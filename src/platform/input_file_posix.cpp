#include "input_file.h"

#include <cerrno>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

InputFile::InputFile(const std::filesystem::path& path)
    : descriptor_(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK))
{
    if (descriptor_ < 0)
        throw std::system_error(errno, std::generic_category());
}

InputFile::~InputFile() { ::close(descriptor_); }

FileStatus InputFile::Status() const { return FileStatusOfOpen(descriptor_); }

std::size_t InputFile::Read(char* buffer, std::size_t size)
{
    for (;;) {
        const ssize_t count = ::read(descriptor_, buffer, size);
        if (count >= 0)
            return static_cast<std::size_t>(count);
        if (errno != EINTR)
            throw std::system_error(errno, std::generic_category());
    }
}

bool InputFile::Rewind() { return ::lseek(descriptor_, 0, SEEK_SET) == 0; }

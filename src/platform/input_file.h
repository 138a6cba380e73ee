// A file open for reading: the spool reader keeps one open file from the head to the last line, so
// a file renamed over its name meanwhile cannot take the place of the one being printed.
#pragma once

#include "file_status.h"

#include <cstddef>
#include <filesystem>

class InputFile {
public:
    // Opens without blocking (a named pipe without a writer must not hang the job). Throws
    // std::system_error with the system's error code when the file cannot be opened.
    explicit InputFile(const std::filesystem::path& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // The open file's identity, size and times; throws std::system_error.
    FileStatus Status() const;
    // Reads up to size bytes; 0 at the end of the file. An interrupted read is retried; throws
    // std::system_error when the file cannot be read.
    std::size_t Read(char* buffer, std::size_t size);
    // Goes back to the first byte; false when the file cannot be repositioned.
    bool Rewind();

private:
    int descriptor_ = -1;
};

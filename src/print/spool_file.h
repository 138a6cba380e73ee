// Reading a spool file line by line, streaming through a fixed buffer, and telling whether the
// file on disk is still the one that was read.
#pragma once

#include "platform/file_status.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What identifies one version of a file: the same inode with the same size and times. A job
// written under the same name, by a new file or by rewriting the old one, differs.
using FileStamp = FileStatus;

// The stamp of the file a path names now; empty when it cannot be examined.
std::optional<FileStamp> StampOfPath(const std::filesystem::path& path);

class InputFile;

class SpoolReader {
public:
    // Opens the file for reading as raw bytes; throws OrvalinError when it cannot be opened or is
    // not a regular file.
    explicit SpoolReader(const std::filesystem::path& path);
    ~SpoolReader();
    SpoolReader(const SpoolReader&) = delete;
    SpoolReader& operator=(const SpoolReader&) = delete;

    // The file as it was when it was opened.
    const FileStamp& OpenedStamp() const { return stamp_; }

    // True when every byte has been read. Throws SpoolContentError when the file cannot be read.
    bool AtEnd();

    // Goes back to the first byte of the same open file. Throws SpoolContentError when it cannot.
    void Rewind();

    // Reads one line: bytes up to and including the first CR LF, or to the end of the file. The
    // bytes go to sink(std::string_view) in pieces as they come, the CR LF included. Returns true
    // when the line ended with a CR LF that is not the file's last two bytes: the line proper is
    // then without those two bytes. A CR LF that ends the file stays part of the last line.
    // Throws SpoolContentError when the file cannot be read.
    template <class Sink>
    bool ReadLine(Sink&& sink);

private:
    // Refills the buffer; false at the end of the file.
    bool Fill();

    std::unique_ptr<InputFile> file_;
    FileStamp stamp_;
    std::vector<char> buffer_;
    std::size_t position_ = 0;
    std::size_t end_ = 0;
    bool eof_ = false;
    std::filesystem::path path_;
};

template <class Sink>
bool SpoolReader::ReadLine(Sink&& sink)
{
    // Whether the last byte handed over for this line was a CR: a CR LF may straddle two fills.
    bool lastWasCr = false;
    for (;;) {
        if (position_ == end_ && !Fill())
            return false;
        const char* begin = buffer_.data() + position_;
        const std::size_t available = end_ - position_;
        const void* found = std::memchr(begin, '\n', available);
        if (found == nullptr) {
            sink(std::string_view(begin, available));
            lastWasCr = begin[available - 1] == '\r';
            position_ = end_;
            continue;
        }
        const auto count = static_cast<std::size_t>(static_cast<const char*>(found) - begin) + 1;
        const bool crBefore = count >= 2 ? begin[count - 2] == '\r' : lastWasCr;
        sink(std::string_view(begin, count));
        position_ += count;
        if (crBefore)
            return !AtEnd();
        lastWasCr = false;
    }
}

// Reads one line into line, without its ending CR LF, keeping at most keep bytes of it so that a
// file without line ends never fills memory. Returns the line's whole length.
inline std::uint64_t ReadCappedLine(SpoolReader& reader, std::string& line, std::size_t keep)
{
    line.clear();
    std::uint64_t length = 0;
    const bool endedByCrLf = reader.ReadLine([&](std::string_view piece) {
        length += piece.size();
        if (line.size() < keep)
            line.append(piece.substr(0, std::min(piece.size(), keep - line.size())));
    });
    if (endedByCrLf) {
        length -= 2;
        line.resize(line.size() - 2);
    }
    return length;
}

#include "spool_file.h"

#include "common/errors.h"
#include "platform/file_status.h"
#include "platform/input_file.h"

#include <system_error>

namespace {

// Large enough that a huge file costs few system calls, small enough that memory stays flat.
constexpr std::size_t BufferSize = 64 * 1024;

std::string Describe(const std::filesystem::path& path, const char* what, int error)
{
    return "The file " + path.string() + " cannot be " + what + ": " + std::strerror(error);
}

} // namespace

std::optional<FileStamp> StampOfPath(const std::filesystem::path& path)
{
    try {
        return FileStatusOf(path);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

SpoolReader::SpoolReader(const std::filesystem::path& path) : buffer_(BufferSize), path_(path)
{
    try {
        file_ = std::make_unique<InputFile>(path);
    } catch (const std::system_error& e) {
        throw OrvalinError(Describe(path, "opened", e.code().value()));
    }
    FileStatus info;
    try {
        info = file_->Status();
    } catch (const std::system_error& e) {
        throw OrvalinError(Describe(path, "examined", e.code().value()));
    }
    // Only a regular file has an end: a device or a pipe could be read for ever.
    if (!info.Regular)
        throw OrvalinError("The file " + path.string() + " cannot be printed: it is not a regular file");
    stamp_ = info;
}

SpoolReader::~SpoolReader() = default;

bool SpoolReader::Fill()
{
    if (eof_)
        return false;
    std::size_t count = 0;
    try {
        count = file_->Read(buffer_.data(), buffer_.size());
    } catch (const std::system_error& e) {
        throw SpoolContentError(Describe(path_, "read", e.code().value()));
    }
    position_ = 0;
    end_ = count;
    eof_ = count == 0;
    return !eof_;
}

void SpoolReader::Rewind()
{
    if (!file_->Rewind())
        throw SpoolContentError("The file " + path_.string() + " cannot be read again from its start.");
    position_ = end_ = 0;
    eof_ = false;
}

bool SpoolReader::AtEnd() { return position_ == end_ && !Fill(); }

// What the kernel knows about a spool file that its name and time stamp do not tell: whether some
// process still has it open for writing, and which of several instances watching one folder may
// print it.
#pragma once

#include <filesystem>
#include <memory>

enum class WriterState { None, Writing, Unknown };

// Asks with a read lease, which the kernel refuses while anyone has the file open for writing;
// where a lease cannot be had (another owner, a file system without leases) looks through
// /proc/*/fd. Unknown when neither can tell.
WriterState OpenWriters(const std::filesystem::path& file);

// An exclusive lock on a spool file, held while the object lives. Taken before the file is read and
// released after it is deleted, so that any number of instances print each file once.
class SpoolClaim {
public:
    // Empty when another instance holds the file or the name no longer leads to the file that was
    // locked (printed and deleted meanwhile, or replaced by a new job).
    static std::unique_ptr<SpoolClaim> Take(const std::filesystem::path& file);
    ~SpoolClaim();
    SpoolClaim(const SpoolClaim&) = delete;
    SpoolClaim& operator=(const SpoolClaim&) = delete;

private:
    explicit SpoolClaim(int fd) : fd_(fd) {}
    int fd_;
};

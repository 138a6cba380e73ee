// The one error type of the program: an operation that fails carries a readable description,
// which the caller shows (the poller's "Hiba!" box, the start-up report) or skips.
#pragma once

#include <stdexcept>
#include <string>

class OrvalinError : public std::runtime_error {
public:
    explicit OrvalinError(const std::string& description) : std::runtime_error(description) {}
};

// A value that does not fit its integer type (16- or 32-bit), or a number too large for a double.
class OverflowError : public OrvalinError {
public:
    explicit OverflowError(const std::string& description = "Overflow") : OrvalinError(description) {}
};

// What a spool file holds makes its job fail (bytes that cannot be read): trying the same file
// again cannot help until it changes.
class SpoolContentError : public OrvalinError {
public:
    explicit SpoolContentError(const std::string& description) : OrvalinError(description) {}
};

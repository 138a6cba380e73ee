// The control sequences of a spool file, counted line by line: each trigger the interpreter finds,
// and each byte below 32 that no rule covers (an ESC together with the byte after it), so that an
// escape sequence the rules miss stands out.
#pragma once

#include "text_interpreter.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct SequenceCount {
    std::string bytes;
    std::size_t ruleIndex = 0; // the rule of ControlChars that takes it; 0: none, printed as a character
    std::uint64_t count = 0;
    std::uint64_t firstLine = 0; // counted from 1
};

class SequenceCensus {
public:
    // The interpreter decides which rule takes which bytes, exactly as when printing.
    // rules are those the interpreter was made with.
    SequenceCensus(const TextInterpreter& interpreter, const Rules& rules) : interpreter_(interpreter), rules_(rules) {}

    // Counts the sequences of one line as the interpreter receives it (without its CR LF).
    void AddLine(std::string_view line, std::uint64_t lineNumber);

    // In the order of their first occurrence.
    const std::vector<SequenceCount>& Counts() const { return counts_; }

private:
    void Count(std::string_view bytes, std::size_t ruleIndex, std::uint64_t lineNumber);
    void CountUncovered(std::string_view text, std::uint64_t lineNumber);

    const TextInterpreter& interpreter_;
    const Rules& rules_;
    std::vector<SequenceCount> counts_;
    std::map<std::pair<std::size_t, std::string>, std::size_t> index_; // (rule, bytes) -> counts_ entry
};

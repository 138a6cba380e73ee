#include "sequence_census.h"

namespace {

constexpr unsigned char Escape = 27;

} // namespace

void SequenceCensus::AddLine(std::string_view line, std::uint64_t lineNumber)
{
    std::string_view rest = line;
    while (!rest.empty()) {
        std::size_t position = 0;
        std::size_t ruleIndex = 0;
        if (!interpreter_.FindRule(rest, position, ruleIndex)) {
            CountUncovered(rest, lineNumber);
            return;
        }
        CountUncovered(rest.substr(0, position), lineNumber);
        const std::size_t length = rules_.ControlChars[ruleIndex].AsciiCode.size();
        Count(rest.substr(position, length), ruleIndex, lineNumber);
        rest.remove_prefix(position + length);
    }
}

void SequenceCensus::CountUncovered(std::string_view text, std::uint64_t lineNumber)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 32)
            continue;
        // The byte after an uncovered ESC names the printer command it starts.
        const std::size_t length = byte == Escape && i + 1 < text.size() ? 2 : 1;
        Count(text.substr(i, length), 0, lineNumber);
        i += length - 1;
    }
}

void SequenceCensus::Count(std::string_view bytes, std::size_t ruleIndex, std::uint64_t lineNumber)
{
    auto key = std::make_pair(ruleIndex, std::string(bytes));
    auto found = index_.find(key);
    if (found == index_.end()) {
        found = index_.emplace(std::move(key), counts_.size()).first;
        counts_.push_back(SequenceCount{std::string(bytes), ruleIndex, 0, lineNumber});
    }
    ++counts_[found->second].count;
}

// Searches the head of a spool file (its first six lines) for several texts while the head
// streams past, so that a head of enormous lines never has to be held in memory.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class HeadSearch {
public:
    explicit HeadSearch(std::vector<std::string> needles);

    void Feed(std::string_view bytes);

    // Whether needle i occurs in what was fed, by an exact, case-sensitive search. An empty
    // needle occurs in any non-empty head and in no empty one.
    bool Contains(std::size_t i) const;
    std::uint64_t Length() const { return length_; }

private:
    std::vector<std::string> needles_;
    std::vector<bool> found_;
    std::size_t keep_ = 0; // bytes kept between pieces: a match may straddle them
    std::string window_;
    std::uint64_t length_ = 0;
};

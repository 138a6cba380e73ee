#include "sort_rules.h"

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

namespace {

// The exchange sort's pass for position i compares i with every later position and exchanges
// whenever the later trigger is longer, so position i only changes at the later positions whose
// trigger is longer than i's current one. A tree of maximum trigger lengths finds each of those
// in log n steps, and a pass makes at most one exchange per distinct trigger length.
class LongestTree {
public:
    explicit LongestTree(const std::vector<ControlChar>& rules) : size_(1)
    {
        while (size_ < rules.size())
            size_ *= 2;
        max_.assign(2 * size_, 0);
        for (std::size_t i = 0; i < rules.size(); ++i)
            max_[size_ + i] = rules[i].AsciiCode.size();
        for (std::size_t node = size_ - 1; node > 0; --node)
            max_[node] = std::max(max_[2 * node], max_[2 * node + 1]);
    }

    void Set(std::size_t position, std::size_t length)
    {
        std::size_t node = size_ + position;
        max_[node] = length;
        for (node /= 2; node > 0; node /= 2)
            max_[node] = std::max(max_[2 * node], max_[2 * node + 1]);
    }

    // The first position at or after from whose length exceeds length; 0 when there is none.
    std::size_t FirstLongerFrom(std::size_t from, std::size_t length) const { return Find(1, 0, size_, from, length); }

private:
    std::size_t Find(std::size_t node, std::size_t begin, std::size_t end, std::size_t from, std::size_t length) const
    {
        if (end <= from || max_[node] <= length)
            return 0;
        if (end - begin == 1)
            return begin;
        const std::size_t middle = (begin + end) / 2;
        if (const std::size_t left = Find(2 * node, begin, middle, from, length))
            return left;
        return Find(2 * node + 1, middle, end, from, length);
    }

    std::size_t size_;
    std::vector<std::size_t> max_;
};

} // namespace

void SortRules(std::vector<ControlChar>& controlChars, const std::function<void()>& processEvents)
{
    // Entry 0 is the placeholder and never moves.
    if (controlChars.size() < 3)
        return;
    LongestTree tree(controlChars);
    const std::size_t last = controlChars.size() - 1;
    for (std::size_t i = 1; i < last; ++i) {
        if (processEvents)
            processEvents();
        std::size_t j = i;
        while ((j = tree.FirstLongerFrom(j + 1, controlChars[i].AsciiCode.size())) != 0) {
            std::swap(controlChars[i], controlChars[j]);
            tree.Set(i, controlChars[i].AsciiCode.size());
            tree.Set(j, controlChars[j].AsciiCode.size());
        }
    }
}

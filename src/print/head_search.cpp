#include "head_search.h"

#include <algorithm>

HeadSearch::HeadSearch(std::vector<std::string> needles) : needles_(std::move(needles)), found_(needles_.size())
{
    for (const std::string& needle : needles_)
        keep_ = std::max(keep_, needle.size() > 0 ? needle.size() - 1 : 0);
}

void HeadSearch::Feed(std::string_view bytes)
{
    if (bytes.empty())
        return;
    length_ += bytes.size();
    window_.append(bytes);
    for (std::size_t i = 0; i < needles_.size(); ++i) {
        if (!found_[i] && !needles_[i].empty() && window_.find(needles_[i]) != std::string::npos)
            found_[i] = true;
    }
    if (window_.size() > keep_)
        window_.erase(0, window_.size() - keep_);
}

bool HeadSearch::Contains(std::size_t i) const
{
    if (needles_[i].empty())
        return length_ > 0;
    return found_[i];
}

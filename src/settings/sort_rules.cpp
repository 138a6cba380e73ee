#include "sort_rules.h"

#include <utility>

void SortRules(std::vector<ControlChar>& controlChars, const std::function<void()>& processEvents)
{
    const int n = static_cast<int>(controlChars.size()) - 1;
    for (int i = 1; i <= n - 1; ++i) {
        if (processEvents)
            processEvents();
        for (int j = i + 1; j <= n; ++j) {
            if (processEvents)
                processEvents();
            if (controlChars[i].AsciiCode.size() < controlChars[j].AsciiCode.size())
                std::swap(controlChars[i], controlChars[j]);
        }
    }
}

// The load-time order of the rules: longer triggers before shorter ones, by an exchange sort whose
// exact exchanges decide which of two equally long rules is tried first.
#pragma once

#include "rules.h"

#include <functional>

// processEvents runs before each pass of the outer loop and before each step of the inner loop,
// so the program stays responsive while a long list is sorted.
void SortRules(std::vector<ControlChar>& controlChars, const std::function<void()>& processEvents);

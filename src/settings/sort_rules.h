// The load-time order of the rules: longer triggers before shorter ones, in the exact order that
// an exchange sort leaves them (its exchanges decide which of two equally long rules is tried
// first), reached without its quadratic number of comparisons.
#pragma once

#include "rules.h"

#include <functional>

// processEvents runs once before each pass, so the program stays responsive while a long list is
// sorted.
void SortRules(std::vector<ControlChar>& controlChars, const std::function<void()>& processEvents);

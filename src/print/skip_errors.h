// The print engine's regions where a failing operation is skipped and the next one runs (the
// job's set-up and clean-up, the logo page's preparation, the interpreter's actions).
#pragma once

#include "common/errors.h"

template <class Operation>
void Skipping(Operation&& operation)
{
    try {
        operation();
    } catch (const OrvalinError&) {}
}

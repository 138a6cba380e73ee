// SIGTERM and SIGINT end the program through the same path as its menu's "Kilépés", so a service
// manager stops it cleanly (icon removed, nothing half done).
#pragma once

#include <functional>

// onSignal runs on the event loop, never inside the signal handler.
void CloseOnTerminationSignals(std::function<void()> onSignal);

// A write past the file-size limit (RLIMIT_FSIZE) fails with EFBIG instead of killing the program
// with SIGXFSZ; the job that made it fails like any other failed write and its file stays.
void IgnoreFileSizeLimitSignal();

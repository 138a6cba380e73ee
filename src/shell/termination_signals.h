// SIGTERM and SIGINT end the program through the same path as its menu's "Kilépés", so a service
// manager stops it cleanly (icon removed, nothing half done).
#pragma once

#include <functional>

// onSignal runs on the event loop, never inside the signal handler.
void CloseOnTerminationSignals(std::function<void()> onSignal);

// Chooses Qt's offscreen platform when there is no display, so the program still polls on a
// server instead of aborting. Call before the application object is made.
#pragma once

void UseOffscreenPlatformWithoutDisplay();

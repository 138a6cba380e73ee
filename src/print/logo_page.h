// The logo page: a job's first page composed on the off-screen canvas over the logo picture, then
// laid onto the printer page as a whole.
#pragma once

#include "common/units.h"
#include "print/printer.h"
#include "settings/settings.h"

class QImage;

// The logo picture as the job sees it. The core never looks inside the image, so its pixel size
// travels with it (LogoPictureOf in logo_picture.h fills both from a QImage).
struct LogoPicture {
    const QImage* image = nullptr; // null: no picture loaded
    int widthPixels = 0;
    int heightPixels = 0;
};

// Prepares a blank canvas of the printer page's size with the logo at (LogoX, LogoY) and the
// job's font, plain. Each step that fails is skipped; a missing picture leaves the canvas without it.
void PrepareLogoPage(const Settings& settings, Printer& printer, Canvas& canvas, const LogoPicture& logo);

// Lays the canvas (logo and text) over the current printer page. Errors are thrown.
void FinishLogoPage(Canvas& canvas, Printer& printer);

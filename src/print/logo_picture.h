// The loaded logo picture handed to the print job.
#pragma once

#include "logo_page.h"

#include <QImage>

// A null image gives "no picture". The image must outlive the job that uses the result.
LogoPicture LogoPictureOf(const QImage& image);

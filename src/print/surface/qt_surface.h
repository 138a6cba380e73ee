// The factories of the Qt printing back-end: the system's printers and the logo page's canvas.
#pragma once

#include "print/printer.h"

#include <filesystem>
#include <memory>
#include <string>

// The CUPS destinations (sorted by name) and then the built-in printer, which files each document
// as a new PDF into pdfFolder (see PdfFolderFor; created when missing).
// The current printer starts as the CUPS default, or the built-in printer when CUPS has none.
std::unique_ptr<PrintersCollection> MakeSystemPrinters(const std::filesystem::path& pdfFolder);

// The default printer's device name, as the collection would report it, without making one (the
// settings defaults need it before the settings file, and so the PDF folder, is known).
std::string SystemDefaultDeviceName();

// The page canvas on its hidden window "Picnyomkep". Needs a QApplication.
std::unique_ptr<Canvas> MakePageCanvas();

// The printers collection and the current printer, as the print job sees them.
#pragma once

#include "print/drawing_target.h"

#include <memory>
#include <string>
#include <vector>

// The built-in printer that writes each document as a new PDF file.
inline constexpr const char* BuiltInPrinterName = "Orvalin PDF";

// The page orientation, by the numbers a printer's orientation field holds.
enum class PageOrientation { Portrait = 1, Landscape = 2 };
// The print quality, by the numbers a printer's quality field holds: -1 draft to -4 high, or a
// resolution in dots per inch.
enum class PrintQuality { High = -4, Medium = -3, Low = -2, Draft = -1 };

// The current printer: page set-up, drawing, documents.
class Printer : public DrawingTarget {
public:
    virtual std::string DeviceName() const = 0;
    virtual PageOrientation Orientation() const = 0;
    virtual void SetOrientation(PageOrientation orientation) = 0;
    virtual void SetPrintQuality(PrintQuality quality) = 0;
    // Page size in twips for the current orientation.
    virtual double PageWidth() const = 0;
    virtual double PageHeight() const = 0;
    // Ends the document and hands it to the print queue; the pen goes to (0, 0). A document
    // without output produces no page and no job. Throws OrvalinError when the document could
    // not be handed over: nothing that was not handed over counts as printed.
    virtual void EndDoc() = 0;
    // Discards the document in progress without handing it over; the pen goes to (0, 0). A printer
    // that keeps no document of its own has nothing to discard.
    virtual void KillDoc() {}
};

// The off-screen page canvas of the logo page.
class Canvas : public DrawingTarget {
public:
    virtual double Width() const = 0;
    virtual double Height() const = 0;
    virtual void SetSize(double width, double height) = 0;
    // Erases the drawing; the pen goes to (0, 0).
    virtual void Cls() = 0;
    // The drawing so far, laid over the printer page at (0, 0) without scaling; text stays vector.
    virtual void DrawOnto(Printer& printer) = 0;
    // Shows the window that holds the canvas (not modal).
    virtual void Show() = 0;
};

// The printers in a stable order: the CUPS destinations, then the built-in printer.
class PrintersCollection {
public:
    virtual ~PrintersCollection() = default;
    virtual std::vector<std::string> DeviceNames() const = 0;
    // The system's default printer (the built-in printer when CUPS has none).
    virtual std::string DefaultDeviceName() const = 0;
    // The current printer; at start the default printer.
    virtual Printer& Current() = 0;
    // Makes the printer with this device name current; false when there is none.
    virtual bool Select(const std::string& deviceName) = 0;
};

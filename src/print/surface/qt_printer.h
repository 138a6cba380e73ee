// The printer back-end: each document is written straight to PDF, page by page (see pdf/). The
// built-in printer files each document as a new PDF; a CUPS destination gets the PDF as one job.
// Each PDF page is the whole sheet; drawing is offset to the printable area (see paper.h).
#pragma once

#include "paper.h"
#include "print/printer.h"
#include "surface_state.h"

#include <filesystem>
#include <memory>
#include <string>

class QtPrinter final : public SurfaceState<Printer> {
public:
    // The built-in printer, filing documents into pdfFolder (created when missing).
    static std::unique_ptr<QtPrinter> BuiltIn(const std::filesystem::path& pdfFolder);
    // A CUPS destination; its paper is the destination's default media with its margins.
    static std::unique_ptr<QtPrinter> Cups(const std::string& destination);
    ~QtPrinter() override;

    std::string DeviceName() const override { return deviceName_; }
    PageOrientation Orientation() const override { return orientation_; }
    void SetOrientation(PageOrientation orientation) override;
    void SetPrintQuality(PrintQuality quality) override;
    PrintQuality Quality() const { return quality_; }
    // The printable area's size for the current orientation.
    double PageWidth() const override;
    double PageHeight() const override;
    // The sheet and its margins for the current orientation.
    Paper OrientedPaper() const { return paper_.Turned(orientation_); }

    void NewPage() override;
    void EndDoc() override;
    void KillDoc() override;
    void PaintPicture(const QImage& picture, double x, double y, double width, double height, double sourceX,
                      double sourceY, double sourceWidth, double sourceHeight) override;

    // The file the built-in printer wrote last (empty before the first).
    const std::filesystem::path& LastFile() const { return lastFile_; }

protected:
    void DrawRun(double x, double y, std::string_view bytes) override;

private:
    struct Document;
    QtPrinter(std::string deviceName, bool builtIn, std::filesystem::path pdfFolder, Paper paper);
    Document& Active();
    // The document for output on the current page: begins the document, and the pages that page
    // breaks since the last output asked for.
    Document& Output();
    void BeginPage(Document& document);
    void Publish(Document& document);

    std::string deviceName_;
    bool builtIn_;
    std::filesystem::path pdfFolder_;
    Paper paper_;
    PageOrientation orientation_ = PageOrientation::Portrait;
    PrintQuality quality_ = PrintQuality::High;
    std::unique_ptr<Document> document_;
    std::filesystem::path lastFile_;
};

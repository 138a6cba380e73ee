// The print side of the running program: the printers, the logo page's canvas and the logo
// picture, and the print job run with them.
#pragma once

#include "settings/global.h"

#include <QImage>

#include <filesystem>
#include <memory>
#include <string>

class Canvas;
class PrintersCollection;

class PrintService {
public:
    // global outlives the service; the job reads and writes it.
    explicit PrintService(Global& global);
    ~PrintService();
    PrintService(const PrintService&) = delete;
    PrintService& operator=(const PrintService&) = delete;

    // Loads the logo file the settings name (a link is followed). A picture that cannot be loaded
    // switches the logo off for this run, silently.
    void LoadLogo();
    // The loaded picture; a null image when there is none.
    const QImage& LogoImage() const { return logo_; }

    // Runs the print job on one spool file (see PrintJob).
    bool Print(const std::filesystem::path& path, const std::string& orientation);

    // Made on first use: the PDF folder of the built-in printer depends on where the settings
    // file is, which is known only once start-up has loaded the settings.
    PrintersCollection& Printers();
    // The folder the built-in printer files its documents in: never a spool folder.
    std::filesystem::path PdfFolder() const;

private:
    Canvas& PageCanvas();

    Global& global_;
    QImage logo_;
    std::unique_ptr<PrintersCollection> printers_;
    std::unique_ptr<Canvas> canvas_;
};

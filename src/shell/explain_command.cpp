#include "explain_command.h"

#include "current_settings.h"
#include "platform/code_pages.h"
#include "print/spool_report.h"
#include "print/surface/qt_surface.h"

#include <QDir>
#include <QImageReader>

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace {

void LoadSettingsToExplain(Global& global)
{
    global.SettingsFile = CurrentSettingsFile();
    LoadCurrentSettings(global, SystemDefaultDeviceName, false);
    // As at start-up: a picture that cannot be loaded switches the logo off.
    if (global.settings.LogoEnabled && !QImageReader(FromAnsi(global.settings.LogoFile)).canRead())
        global.settings.LogoEnabled = false;
}

// A counting printer with the page of the printer the settings name.
CountingPrinter CountingPrinterFor(const Settings& settings)
{
    // Only asked for its page size: nothing is drawn, so the PDF folder is never written.
    const std::unique_ptr<PrintersCollection> printers = MakeSystemPrinters(QDir::tempPath().toStdString());
    if (settings.PrinterName != DefaultPrinterName)
        printers->Select(settings.PrinterName);
    const Printer& printer = printers->Current();
    const double width = printer.PageWidth();
    const double height = printer.PageHeight();
    return CountingPrinter(printer.DeviceName(), std::min(width, height), std::max(width, height));
}

} // namespace

std::optional<std::string> ExplainArgument(int argc, char* argv[])
{
    if (argc < 2 || std::string_view(argv[1]) != "--explain")
        return std::nullopt;
    return std::string(argc > 2 ? argv[2] : "");
}

int ExplainCommand(const std::string& file)
{
    if (file.empty()) {
        std::fprintf(stderr, "orvalin: --explain needs the name of a spool file\n");
        return 1;
    }
    try {
        Global global;
        LoadSettingsToExplain(global);
        CountingPrinter printer = CountingPrinterFor(global.settings);
        // Written only once whole, so that a file that cannot be read leaves standard output empty.
        const std::string report = "Settings: " + global.SettingsFile.string() + "\n"
                                   + "Printer: " + printer.DeviceName() + " (pages are counted on its paper)\n"
                                   + ExplainSpoolFile(std::filesystem::path(file), "0", global, printer);
        std::fwrite(report.data(), 1, report.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    } catch (const std::exception& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "orvalin: %s\n", e.what());
        return 1;
    }
}

// The printers collection over CUPS and the built-in PDF printer.
#include "qt_surface.h"

#include "cups_destinations.h"
#include "page_canvas.h"
#include "qt_printer.h"

#include <algorithm>
#include <map>

namespace {

class SystemPrinters final : public PrintersCollection {
public:
    explicit SystemPrinters(std::filesystem::path pdfFolder) : pdfFolder_(std::move(pdfFolder))
    {
        current_ = &PrinterFor(DefaultDeviceName());
    }

    std::vector<std::string> DeviceNames() const override
    {
        std::vector<std::string> names = ListCupsDestinations().Names;
        names.emplace_back(BuiltInPrinterName);
        return names;
    }

    std::string DefaultDeviceName() const override { return SystemDefaultDeviceName(); }

    Printer& Current() override { return *current_; }

    bool Select(const std::string& deviceName) override
    {
        const std::vector<std::string> names = DeviceNames();
        if (std::find(names.begin(), names.end(), deviceName) == names.end())
            return false;
        current_ = &PrinterFor(deviceName);
        return true;
    }

private:
    // One printer object per device for the life of the collection, so that each keeps its set-up.
    Printer& PrinterFor(const std::string& deviceName)
    {
        auto found = printers_.find(deviceName);
        if (found == printers_.end()) {
            std::unique_ptr<QtPrinter> printer =
                deviceName == BuiltInPrinterName ? QtPrinter::BuiltIn(pdfFolder_) : QtPrinter::Cups(deviceName);
            found = printers_.emplace(deviceName, std::move(printer)).first;
        }
        return *found->second;
    }

    std::filesystem::path pdfFolder_;
    std::map<std::string, std::unique_ptr<QtPrinter>> printers_;
    Printer* current_ = nullptr;
};

} // namespace

std::string SystemDefaultDeviceName()
{
    const std::string cupsDefault = ListCupsDestinations().Default;
    return cupsDefault.empty() ? std::string(BuiltInPrinterName) : cupsDefault;
}

std::unique_ptr<PrintersCollection> MakeSystemPrinters(const std::filesystem::path& pdfFolder)
{
    return std::make_unique<SystemPrinters>(pdfFolder);
}

std::unique_ptr<Canvas> MakePageCanvas() { return std::make_unique<PageCanvas>(); }

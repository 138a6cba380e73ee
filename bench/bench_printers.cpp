#include "bench_printers.h"

#include "platform/display.h"
#include "print/surface/qt_surface.h"

#include <QApplication>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The pages of one PDF, as poppler's pdfinfo reports them; 0 when it cannot tell.
long PdfPages(const fs::path& file)
{
    const std::string command = "pdfinfo '" + file.string() + "' 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return 0;
    long pages = 0;
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        if (std::sscanf(line, "Pages: %ld", &pages) == 1)
            break;
    }
    ::pclose(pipe);
    return pages;
}

} // namespace

struct BenchPrinters::State {
    int argc;
    char** argv;
    std::unique_ptr<QApplication> application;
    fs::path pdfFolder;
};

BenchPrinters::BenchPrinters(int argc, char** argv) : state_(std::make_unique<State>())
{
    state_->argc = argc;
    state_->argv = argv;
    UseOffscreenPlatformWithoutDisplay();
    state_->application = std::make_unique<QApplication>(state_->argc, state_->argv);
    state_->pdfFolder = fs::temp_directory_path() / ("orvalin-bench-pdf-" + std::to_string(::getpid()));
}

BenchPrinters::~BenchPrinters()
{
    std::error_code ignored;
    fs::remove_all(state_->pdfFolder, ignored);
}

std::unique_ptr<PrintersCollection> BenchPrinters::MakePrinters() { return MakeSystemPrinters(state_->pdfFolder); }

std::unique_ptr<Canvas> BenchPrinters::MakeCanvas() { return MakePageCanvas(); }

long BenchPrinters::Pages() const
{
    long pages = 0;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(state_->pdfFolder, error)) {
        pages += PdfPages(entry.path());
        fs::remove(entry.path(), error);
    }
    return pages;
}

#include "print_service.h"

#include "logo_picture.h"
#include "platform/code_pages.h"
#include "platform/program_folder.h"
#include "print_job.h"
#include "surface/qt_surface.h"

#include <QImageReader>

PrintService::PrintService(Global& global) : global_(global) {}

PrintService::~PrintService() = default;

void PrintService::LoadLogo()
{
    logo_ = QImage();
    if (!global_.settings.LogoEnabled)
        return;
    QImageReader reader(FromAnsi(global_.settings.LogoFile)); // a link is followed
    QImage picture;
    if (!reader.read(&picture) || picture.isNull()) {
        global_.settings.LogoEnabled = false;
        return;
    }
    logo_ = picture;
}

bool PrintService::Print(const std::filesystem::path& path, const std::string& orientation)
{
    PrintJobContext context{global_.settings, global_.rules, global_.print,       global_.startup.PollMode,
                            Printers(),       PageCanvas(),  LogoPictureOf(logo_)};
    return PrintJob(path, orientation, context, global_.print.JobHasLogo);
}

PrintersCollection& PrintService::Printers()
{
    if (!printers_)
        printers_ = MakeSystemPrinters(PdfFolder());
    return *printers_;
}

std::filesystem::path PrintService::PdfFolder() const
{
    return PdfFolderFor(global_.SettingsFile.parent_path(), ProgramFolder());
}

Canvas& PrintService::PageCanvas()
{
    if (!canvas_)
        canvas_ = MakePageCanvas();
    return *canvas_;
}

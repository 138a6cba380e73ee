#include "desktop.h"

#include "dialogs/settings/open_settings.h"
#include "platform/program_folder.h"
#include "print/logo_picture.h"
#include "print/print_job.h"
#include "print/surface/qt_surface.h"

#include <QCoreApplication>
#include <QStringList>

Desktop::Desktop(Global& global) : global_(global) {}

Desktop::~Desktop() = default;

PrintersCollection& Desktop::Printers()
{
    if (!printers_)
        printers_ = MakeSystemPrinters(PdfFolder());
    return *printers_;
}

std::filesystem::path Desktop::PdfFolder() const
{
    return PdfFolderFor(global_.SettingsFile.parent_path(), ProgramFolder());
}

Canvas& Desktop::PageCanvas()
{
    if (!canvas_)
        canvas_ = MakePageCanvas();
    return *canvas_;
}

frmMain::Services Desktop::Services()
{
    frmMain::Services services;
    services.DefaultPrinterName = [] { return SystemDefaultDeviceName(); };
    services.PrintJob = [this](const std::filesystem::path& path, const std::string& orientation, const QImage& logo) {
        PrintJobContext context{global_.settings, global_.rules, global_.print, global_.startup.PollMode,
                                Printers(), PageCanvas(), LogoPictureOf(logo)};
        return PrintJob(path, orientation, context, global_.print.JobHasLogo);
    };
    services.PdfFolder = [this] { return PdfFolder(); };
    services.OpenSettings = [this](frmMain& window) { OpenSettingsDialog(window, Printers()); };
    return services;
}

std::string JoinedArguments()
{
    QStringList arguments = QCoreApplication::arguments();
    if (!arguments.isEmpty())
        arguments.removeFirst();
    return arguments.join(QLatin1Char(' ')).toStdString();
}

std::string CodePagesFromEnvironment() { return qEnvironmentVariable("ORVALIN_CODEPAGES").toStdString(); }

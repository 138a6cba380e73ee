#include "backend_job.h"

#include "print/surface/qt_printer.h"
#include "print/surface/qt_surface.h"

BackEndJob::BackEndJob(const std::string& printer, double leftMargin)
    : printers(MakeSystemPrinters(folder.fsPath() / "PDF")), canvas(MakePageCanvas())
{
    global.settings.PrinterName = printer;
    global.settings.FontName = "Liberation Mono";
    global.settings.FontSize = 10;
    global.settings.LeftMargin = leftMargin;
}

void BackEndJob::Rule(std::string trigger, std::string action)
{
    if (action == "ol")
        global.rules.LandscapeChars = trigger;
    global.rules.ControlChars.push_back(ControlChar{std::move(trigger), std::move(action)});
}

bool BackEndJob::Print(const QByteArray& bytes, const std::string& orientation)
{
    folder.write("text.txt", bytes);
    PrintJobContext context{global.settings, global.rules, global.print,       deletePrinted,
                            *printers,       *canvas,      LogoPictureOf(logo)};
    return PrintJob(folder.file("text.txt").toStdString(), orientation, context, global.print.JobHasLogo);
}

QString BackEndJob::LastPdf() const
{
    return QString::fromStdString(dynamic_cast<QtPrinter&>(printers->Current()).LastFile().string());
}

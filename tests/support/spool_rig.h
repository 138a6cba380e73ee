// A spool file in a temporary folder and the settings and rules a job reads it with: the
// default printer, Courier New at 10 points, no margin. BackEndJob prints it on the real back-end.
#pragma once

#include "print/logo_picture.h"
#include "print/print_job.h"
#include "print/surface/qt_printer.h"
#include "print/surface/qt_surface.h"
#include "settings/global.h"
#include "temp_folder.h"

#include <QImage>

struct SpoolRig {
    TempFolder folder;
    Global global;

    SpoolRig()
    {
        global.settings.PrinterName = DefaultPrinterName;
        global.settings.FontName = "Courier New";
        global.settings.FontSize = 10;
    }
    // A rule; "ol" and "op" also become the orientation triggers, as loading the rules makes them.
    void Rule(const std::string& trigger, const std::string& action)
    {
        global.rules.ControlChars.push_back(ControlChar{trigger, action});
        if (action == "ol")
            global.rules.LandscapeChars = trigger;
        if (action == "op")
            global.rules.PortraitChars = trigger;
    }
    std::filesystem::path Write(const QByteArray& bytes, const QString& name = "text.txt")
    {
        folder.write(name, bytes);
        return folder.fsPath() / name.toStdString();
    }
    bool Exists(const QString& name = "text.txt") const { return folder.exists(name); }
};

// The system's printers (the built-in one files into the folder's "PDF"), Liberation Mono at 10.
// The printer's last filed document.
inline QString LastPdf(const QtPrinter& printer) { return QString::fromStdString(printer.LastFile().string()); }

struct BackEndJob : SpoolRig {
    std::unique_ptr<PrintersCollection> printers = MakeSystemPrinters(folder.fsPath() / "PDF");
    std::unique_ptr<Canvas> canvas = MakePageCanvas();
    QImage logo;                // the job's logo picture; none while null
    bool deletePrinted = false; // the polling mode

    BackEndJob(const std::string& printer, double leftMargin)
    {
        global.settings.PrinterName = printer;
        global.settings.FontName = "Liberation Mono";
        global.settings.LeftMargin = leftMargin;
    }
    // Writes the spool file and prints it: false when the job could not open it.
    bool Print(const QByteArray& bytes, const std::string& orientation = "0")
    {
        PrintJobContext context{global.settings, global.rules, global.print,       deletePrinted,
                                *printers,       *canvas,      LogoPictureOf(logo)};
        return PrintJob(Write(bytes), orientation, context, global.print.JobHasLogo);
    }
    // The built-in printer's last filed document.
    QString LastPdf() const { return ::LastPdf(dynamic_cast<QtPrinter&>(printers->Current())); }
};

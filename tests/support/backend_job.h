// A print job on the real back-end: the system's printers (CUPS and the built-in PDF printer,
// which files into the folder's "PDF"), the page canvas, one spool file "text.txt".
#pragma once

#include "print/logo_picture.h"
#include "print/print_job.h"
#include "settings/global.h"
#include "temp_folder.h"

#include <QImage>
#include <QString>

#include <memory>
#include <string>

struct BackEndJob {
    TempFolder folder;
    Global global;
    std::unique_ptr<PrintersCollection> printers;
    std::unique_ptr<Canvas> canvas;
    QImage logo;                // the job's logo picture; none while null
    bool deletePrinted = false; // the polling mode

    // Liberation Mono at 10 points on printer, left margin in centimetres.
    BackEndJob(const std::string& printer, double leftMargin);
    // A rule; an "ol" rule's trigger is also the landscape trigger of the head.
    void Rule(std::string trigger, std::string action);
    // Writes the spool file and prints it: false when the job could not open it.
    bool Print(const QByteArray& bytes, const std::string& orientation = "0");
    // The built-in printer's last filed document.
    QString LastPdf() const;
};

// The CUPS client side of printing: the destinations, their default paper, and handing a rendered
// PDF to a queue. Every call goes to the scheduler that libcups chooses (CUPS_HTTP_DEFAULT).
#pragma once

#include "paper.h"

#include <QString>

#include <string>
#include <vector>

struct CupsDestinations {
    std::vector<std::string> Names; // sorted; instances left out
    std::string Default;            // empty when CUPS has no default or cannot be reached
};

CupsDestinations ListCupsDestinations();

// The destination's default media with the margins it declares (its media database, which CUPS
// builds from a PPD's imageable area for driver queues); A4 without margins when it cannot be told.
Paper CupsDefaultPaper(const std::string& destination);

// Hands the PDF file to the queue as one job and returns the job id. The job asks for the paper the
// document was laid out on (media, when known) and for no scaling, so that positions on paper are
// those of the document. Throws OrvalinError when the destination is gone, stopped, not accepting
// jobs, or the scheduler refuses the job.
int SubmitPdfToCups(const std::string& destination, const QString& pdfPath, const std::string& title,
                    PrintQuality printQuality, const std::string& media);
